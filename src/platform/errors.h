// Numbered run-time errors: the one exception type every failure travels in.
#pragma once

#include <stdexcept>
#include <string>

namespace iconlane {

enum ErrorNumber : int {
    kInvalidArgument = 5,
    kOverflow = 6,
    kOutOfMemory = 7,
    kSubscriptOutOfRange = 9,
    kTypeMismatch = 13,
    kInternalError = 51,
    kBadFileName = 52,
    kFileNotFound = 53,
    kFileAlreadyExists = 58,
    kPermissionDenied = 70,
    kPathFileAccessError = 75,
    kInvalidPicture = 481,
};

// The user-facing description of an error number ("Overflow", "File not found", ...).
std::string ErrorDescription(int number);

class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(int number);
    RuntimeError(int number, const std::string& description);

    int Number() const { return number_; }
    const std::string& Description() const { return description_; }

private:
    int number_;
    std::string description_;
};

// The exception being handled as a numbered error: a RuntimeError as it is, out of memory (7) for
// std::bad_alloc and std::length_error, the nearest numbered error for the other standard
// exceptions, internal error (51) for anything else. Call it only inside a catch block.
RuntimeError CurrentNumberedError();

// "Unexpected error #N (description)": how a failure inside an event is reported.
std::string EventFailureText(const RuntimeError& error);

}  // namespace iconlane
