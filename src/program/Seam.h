#pragma once

#include <functional>
#include <utility>

// A place where tests replace what the program does with the outside world
// (a message box, a file dialog, the desktop's launcher, a drag): the real
// behaviour runs unless a handler is set; an empty handler restores it.
template <class Tag, class Signature> struct Seam
{
    using Handler = std::function<Signature>;
    static Handler &handler()
    {
        static Handler current;
        return current;
    }
    static void setHandler(Handler replacement) { handler() = std::move(replacement); }
};
