#include "platform/errors.h"

namespace iconlane {

std::string ErrorDescription(int number) {
    switch (number) {
        case kInvalidArgument:
            return "Invalid procedure call or argument";
        case kOverflow:
            return "Overflow";
        case kOutOfMemory:
            return "Out of memory";
        case kSubscriptOutOfRange:
            return "Subscript out of range";
        case kTypeMismatch:
            return "Type mismatch";
        case kBadFileName:
            return "Bad file name or number";
        case kFileNotFound:
            return "File not found";
        case kPermissionDenied:
            return "Permission denied";
        case kPathFileAccessError:
            return "Path/File access error";
        case kInvalidPicture:
            return "Invalid picture";
        default:
            return "Application-defined or object-defined error";
    }
}

RuntimeError::RuntimeError(int number) : RuntimeError(number, ErrorDescription(number)) {}

RuntimeError::RuntimeError(int number, const std::string& description)
    : std::runtime_error(description), number_(number), description_(description) {}

}  // namespace iconlane
