#pragma once

#include <string>

namespace tarnwick::platform {
class Alert;
}

namespace tarnwick::sim {

class PictureClips;
struct GlobalSpace;

// An open alert where its window shows: its message, each line of its informative text as the
// alert lays them out, its text field with the text or placeholder inside, and its buttons in
// their bezels with their titles centred, the default button (the one Return chooses) in the
// accent.
std::string alertPicture(const platform::Alert& alert, const GlobalSpace& space, PictureClips& clips);

}  // namespace tarnwick::sim
