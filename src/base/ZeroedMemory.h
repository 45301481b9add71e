#pragma once
// Memory the system hands out zeroed (calloc). Fresh zeroed pages become
// resident only where they are written, so a large table that stays mostly
// empty costs only the pages in use. For implicit-lifetime types (aggregates
// of numbers, and arrays of them), whose all-zero bytes are their zero values.

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <type_traits>

namespace base {

struct FreeZeroed {
    void operator()(void* memory) const { std::free(memory); }
};

// One T, or `count` elements when T is an array type U[].
template <typename T>
using Zeroed = std::unique_ptr<T, FreeZeroed>;

// Empty when there is no memory.
template <typename T>
Zeroed<T> MakeZeroed(size_t count = 1) {
    using Element = std::remove_extent_t<T>;
    static_assert(std::is_trivially_destructible_v<Element>, "nothing runs before the free");
    static_assert(std::is_array_v<T> || std::is_same_v<T, Element>);
    return Zeroed<T>(static_cast<Element*>(std::calloc(count, sizeof(Element))));
}

}  // namespace base
