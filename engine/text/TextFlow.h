#ifndef VLX_TEXT_FLOW_H
#define VLX_TEXT_FLOW_H

namespace vlx {

class TextBlock;
class TextPage;

// A chain of blocks read one after the other. Owned by the page's flow list; owns its
// blocks.
class TextFlow {
public:
    TextFlow(TextPage* page, TextBlock* blk);
    ~TextFlow();
    TextFlow(const TextFlow&) = delete;
    TextFlow& operator=(const TextFlow&) = delete;

    // Appends the block (its `next` is reset first) and widens the flow's box.
    void addBlock(TextBlock* blk);
    bool blockFits(TextBlock* blk);

    TextPage* page;
    double xMin, xMax, yMin, yMax;
    double priMin, priMax;
    TextBlock* blocks;
    TextBlock* lastBlk;
    TextFlow* next;
};

} // namespace vlx

#endif
