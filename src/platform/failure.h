#pragma once
// How the core says that something could not be done. One convention for every floor:
// - At the seam to the operating system (this folder's files), an int: 0, or the errno that
//   the messages quote as the numeric code.
// - Above it, a call that can fail returns std::optional<Failure> (nothing: it worked), or,
//   when it also makes a value, Expected<T> (the value, or the Failure).
// - Inside a run, a step that cannot go on throws; the run's loop catches it and describes
//   the end (run/run_end.h). No exception leaves the run.
// A Failure holds the words the user reads: front-ends show them as they are.

#include <string>
#include <utility>
#include <variant>

namespace zmbr {

struct Failure {
    std::string message;
};

template <typename T> class Expected {
  public:
    Expected(T value) : v_(std::move(value)) {}
    Expected(Failure failure) : v_(std::move(failure)) {}

    explicit operator bool() const { return v_.index() == 0; }
    T& operator*() { return std::get<0>(v_); }
    const T& operator*() const { return std::get<0>(v_); }
    T* operator->() { return &std::get<0>(v_); }
    const T* operator->() const { return &std::get<0>(v_); }
    // Why there is no value; only when there is none.
    const Failure& failure() const { return std::get<1>(v_); }

  private:
    std::variant<T, Failure> v_;
};

} // namespace zmbr
