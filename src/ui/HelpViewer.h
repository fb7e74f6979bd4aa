#pragma once

#include <QString>

namespace tk {

// Shows the contents page of a help file.
class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // False when the file cannot be shown.
    virtual bool ShowContents(const QString& helpFilePath) = 0;
};

}  // namespace tk
