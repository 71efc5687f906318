#ifndef VLX_SORT_H
#define VLX_SORT_H

#include <cstddef>
#include <vector>

namespace vlx {

// Stable bottom-up merge sort for the layout orders. The tolerant comparators of the
// text model (differences within 1.1 count as equal) are not strict weak orders, so
// std::sort may run past the array with them; this sort only ever reads and writes
// inside [0, n) whatever the comparator answers. cmp(a, b) < 0 puts a before b.
template <class T, class Cmp>
void vlx_sort(T* a, std::size_t n, Cmp cmp)
{
    if (n < 2 || a == nullptr)
        return;
    std::vector<T> tmp(a, a + n);
    T* src = a;
    T* dst = tmp.data();
    for (std::size_t width = 1; width < n; width *= 2) {
        for (std::size_t lo = 0; lo < n; lo += 2 * width) {
            std::size_t mid = lo + width < n ? lo + width : n;
            std::size_t hi = lo + 2 * width < n ? lo + 2 * width : n;
            std::size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi) {
                // Take from the right run only when it is strictly smaller: stable.
                if (cmp(src[j], src[i]) < 0)
                    dst[k++] = src[j++];
                else
                    dst[k++] = src[i++];
            }
            while (i < mid)
                dst[k++] = src[i++];
            while (j < hi)
                dst[k++] = src[j++];
        }
        T* t = src;
        src = dst;
        dst = t;
    }
    if (src != a)
        for (std::size_t k = 0; k < n; ++k)
            a[k] = src[k];
}

template <class T, class Cmp>
void vlx_sort(std::vector<T>& v, Cmp cmp)
{
    vlx_sort(v.data(), v.size(), cmp);
}

} // namespace vlx

#endif
