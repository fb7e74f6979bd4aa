#pragma once

#include <functional>

#include "AnalyzerLink.h"

namespace tk::test {

class RecordingLinkView final : public LinkView {
public:
    void SetMainCaption(const QString& c) override { caption = c; }
    void SetOnlineChecked(bool c) override { online = c; }
    void SetSleepingChecked(bool c) override { sleeping = c; }
    void SetCalculatingChecked(bool c) override { calculating = c; }
    void TracesErased() override { ++erased; }
    void RedrawGraph() override {
        ++redraws;
        if (duringRedraw) duringRedraw();
    }
    void ShowInformation(const QString& text) override { information = text; }
    void CloseInformation() override { information.clear(); }

    QString caption;
    bool online = false;
    bool sleeping = true;
    bool calculating = true;
    int erased = 0;
    int redraws = 0;
    QString information;
    std::function<void()> duringRedraw;  // what a test watches at every redraw
};

}  // namespace tk::test
