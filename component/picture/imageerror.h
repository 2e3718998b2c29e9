// The error of the picture layer's encoders and file writers.
#pragma once

#include <stdexcept>
#include <string>

namespace zarvo::component {

// An image that could not be encoded or a file that could not be written; what() names the file
// (when there is one) and the reason.
class ImageError : public std::runtime_error {
  public:
    explicit ImageError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace zarvo::component
