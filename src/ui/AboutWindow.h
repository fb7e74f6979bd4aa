#pragma once

#include <QDialog>

namespace tk {

// "&About/Support": what the program is, its version and where to get support; one button closes it.
class AboutWindow final : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* parent = nullptr);
};

}  // namespace tk
