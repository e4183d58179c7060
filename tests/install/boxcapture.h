/*
 * Captures the message boxes that the calling thread shows and answers them
 * with OK: a WH_CBT hook on this thread reads each box when it is activated
 * and posts the OK button's click. Needs an X display under Wine (without
 * one Wine shows no box at all).
 */
#ifndef BOXCAPTURE_H
#define BOXCAPTURE_H

#include <windows.h>
#include <string>
#include <vector>

struct CapturedBox {
    std::string text;
    std::string caption;
    HWND owner = nullptr;
    bool okOnly = false; /* an OK button and no other */
};

class BoxCapture {
public:
    BoxCapture();
    ~BoxCapture();
    BoxCapture(const BoxCapture &) = delete;
    BoxCapture &operator=(const BoxCapture &) = delete;

    bool Installed() const { return hook_ != nullptr; }
    /* The boxes seen since the last call, oldest first; clears the record. */
    std::vector<CapturedBox> Take();

private:
    HHOOK hook_;
};

#endif
