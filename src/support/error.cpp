#include "support/error.h"

namespace tarnwick::file_error {

SystemError make(long code, const std::string& fileName, int underlyingErrno) {
    const std::string quoted = fileName.empty() ? "The file" : "The file \u201C" + fileName + "\u201D";
    std::string text;
    switch (code) {
    case kFileNoSuchFile:
        text = quoted + " couldn\u2019t be opened because there is no such file.";
        break;
    case kFileReadCorruptFile:
        text = "The data couldn\u2019t be read because it isn\u2019t in the correct format.";
        break;
    case kFileReadUnknown:
        text = quoted + " couldn\u2019t be opened.";
        break;
    case kFileWriteOutOfSpace:
        text = quoted + " couldn\u2019t be saved because there isn\u2019t enough space.";
        break;
    default:
        text = quoted + " couldn\u2019t be saved.";
        break;
    }
    return SystemError(kDomain, code, text, underlyingErrno);
}

}  // namespace tarnwick::file_error
