#pragma once

#include <memory>
#include <string>
#include <vector>

#include "installation/installation_dialog.h"
#include "installation/installer_ejection.h"
#include "platform/bundle.h"

namespace tarnwick {

// The two entry points of self-installation that the program's entry point calls.
namespace ApplicationInstallationBootstrap {

// At launch: the installation dialog's delegate when the running copy must first be installed
// (its manifest switches installation on and it lies outside the Applications folders), else
// nothing and the normal application runs.
std::shared_ptr<ApplicationInstallationDelegate> delegateIfNeeded(const platform::Bundle& bundle);
std::shared_ptr<ApplicationInstallationDelegate> delegateIfNeeded();

// The ejection launch (the whole command line, program path first). The copy on the image must
// satisfy this program's designated requirement.
InstallerEjection::Outcome finishInstallerEject(const std::vector<std::string>& arguments);

}  // namespace ApplicationInstallationBootstrap

// Whether the command line asks for the ejection launch: the first argument after the program
// path is exactly "--finish-installer-eject".
bool isFinishInstallerEjectLaunch(const std::vector<std::string>& arguments);

// The ejection launch for the entry point: its exit status, 0 only when the image was ejected.
int runFinishInstallerEject(const std::vector<std::string>& arguments);

}  // namespace tarnwick
