#ifndef VLX_TEXT_CHAIN_H
#define VLX_TEXT_CHAIN_H

namespace vlx {

// Deletes every element of a list linked through `next`, head first.
template <class T>
void deleteChain(T* head)
{
    while (head) {
        T* following = head->next;
        delete head;
        head = following;
    }
}

} // namespace vlx

#endif
