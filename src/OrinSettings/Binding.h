#pragma once

#include <functional>

// A value a settings control edits in place: read it when shown, write it on every change.
template <typename T> struct Binding {
    std::function<T()> get;
    std::function<void(const T &)> set;
};
