#include "platform/errors.h"

#include <exception>
#include <new>

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
        case kInternalError:
            return "Internal error";
        case kBadFileName:
            return "Bad file name or number";
        case kFileNotFound:
            return "File not found";
        case kFileAlreadyExists:
            return "File already exists";
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

std::string EventFailureText(const RuntimeError& error) {
    return "Unexpected error #" + std::to_string(error.Number()) + " (" + error.Description() + ")";
}

RuntimeError CurrentNumberedError() {
    try {
        throw;
    } catch (const RuntimeError& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return RuntimeError(kOutOfMemory);
    } catch (const std::length_error&) {
        return RuntimeError(kOutOfMemory);
    } catch (const std::out_of_range&) {
        return RuntimeError(kSubscriptOutOfRange);
    } catch (const std::invalid_argument&) {
        return RuntimeError(kInvalidArgument);
    } catch (const std::overflow_error&) {
        return RuntimeError(kOverflow);
    } catch (const std::range_error&) {
        return RuntimeError(kOverflow);
    } catch (...) {
        return RuntimeError(kInternalError);
    }
}

}  // namespace iconlane
