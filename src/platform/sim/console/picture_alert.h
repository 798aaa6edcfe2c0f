#pragma once

#include <string>

namespace tarnwick::platform {
class Alert;
}

namespace tarnwick::sim {

class PictureClips;
class SimulatedSession;
struct GlobalSpace;

// An open alert where its window shows, with its corners rounded: the app's icon at its top left
// (of the file the alert names, else of the running app), beside it each line of its message in
// bold and of its informative text as the alert lays them out, its text field with the text or
// placeholder inside, and its buttons in their bezels with their titles centred, the default
// button (the one Return chooses) in the accent.
std::string alertPicture(SimulatedSession& session, const platform::Alert& alert, const GlobalSpace& space,
                         PictureClips& clips);

}  // namespace tarnwick::sim
