#include "UserUnitWindow.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include "EditorNumbers.h"
#include "Format.h"

namespace tk {
namespace {

// The unit's distance from dBm is its offset from dBuV plus this.
constexpr int DBM_FROM_DBUV = 107;

// A number as a plain decimal with "." whatever the system's locale, with just the digits that read back
// to the same value.
QString PlainNumber(double value) {
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

// Characters outside the 8-bit code page cannot be stored in the files; they become "?".
bool FitsCodePage(const QString& text) {
    for (QChar c : text)
        if (c.unicode() > 0xFF) return false;
    return true;
}

}  // namespace

UserUnitWindow::UserUnitWindow(MeasurementModel& model, UserDialogs& dialogs, std::function<void()> accepted,
                               QWidget* parent)
    : QWidget(parent), m_model(model), m_dialogs(dialogs), m_accepted(std::move(accepted)) {
    setObjectName(QStringLiteral("boxdefuser"));
    setWindowTitle(QStringLiteral("Definition of unit"));
    auto* grid = new QGridLayout(this);
    auto label = [&](const char* name, const char* caption, int row) {
        auto* l = new QLabel(QString::fromLatin1(caption), this);
        l->setObjectName(QString::fromLatin1(name));
        grid->addWidget(l, row, 0);
    };
    label("lbdefusertxt", "Unit", 0);
    label("lbdefuserwert", "Offset or dBm", 1);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("defusertxt"));
    m_offset = new QLineEdit(this);
    m_offset->setObjectName(QStringLiteral("defuserwert"));
    grid->addWidget(m_name, 0, 1);
    grid->addWidget(m_offset, 1, 1);
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("kok"));
    grid->addWidget(ok, 2, 1);

    const MeasurementSettings& s = m_model.settings;
    m_name->setText(s.userUnitName.text());
    // The stored single-precision offset, shown as the shortest distance from dBm that gives it back.
    m_shownOffset = EditorNumberText(s.userUnitOffset, DBM_FROM_DBUV);
    m_offset->setText(m_shownOffset);
    m_name->installEventFilter(this);
    m_offset->installEventFilter(this);
    connect(ok, &QPushButton::clicked, this, &UserUnitWindow::OnOk);
}

bool UserUnitWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == m_offset) m_offset->setText(PlainNumber(LeadingNumber(m_offset->text())));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UserUnitWindow::OnOk() {
    MeasurementSettings& s = m_model.settings;
    const QString name = m_name->text();
    if (!FitsCodePage(name))
        m_dialogs.message(
            QStringLiteral("Characters the unit name cannot hold in a file are stored as \"?\"."),
            QStringLiteral("Definition of unit"), MessageIcon::Information);
    s.userUnitName.set(name);
    if (m_offset->text() != m_shownOffset)
        s.userUnitOffset = ToSingle(LeadingNumber(m_offset->text()) - DBM_FROM_DBUV);
    if (m_accepted) m_accepted();
    if (auto* frame = parentWidget())
        frame->close();
    else
        close();
}

}  // namespace tk
