// failure.h: how a statement fails, and how a procedure goes on after one.
//
// The program's own interfaces carry no error codes. A statement that fails
// (an overflow, a floating-point fault, a failed property or platform call)
// throws Failure. Procedures that pass failures to their caller simply let it
// travel; procedures that run in continue-on-failure mode wrap each statement
// in Attempt(), which abandons the rest of that statement and returns.
#pragma once

#include <exception>

namespace platform {

class Failure final : public std::exception {
public:
    const char* what() const noexcept override { return "statement failed"; }
};

[[noreturn]] inline void Fail() { throw Failure{}; }

// Runs one statement of a continue-on-failure procedure. A Failure ends the
// statement silently; anything else (a real bug) still propagates.
template <typename Statement>
void Attempt(Statement&& statement) {
    try {
        statement();
    } catch (const Failure&) {
    }
}

}  // namespace platform
