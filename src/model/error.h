#pragma once

// The base of every error this program may show to the user. Its one text,
// what(), is the text to show as is: callers that report an error in a
// sentence of their own put it after their own words, and no error adds a
// prefix of its own to another error's text.

#include <exception>
#include <string>

namespace orbel {

class Error : public std::exception {
public:
    const char* what() const noexcept override { return text_.c_str(); }

protected:
    explicit Error(std::string text) : text_(std::move(text)) {}

private:
    std::string text_;
};

}  // namespace orbel
