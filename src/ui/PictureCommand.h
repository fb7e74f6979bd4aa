#pragma once

#include <functional>

#include "UserDialogs.h"

namespace tk {

// "Save picture": asks for the name (filter: the picture formats offered), writes the picture through
// `save`, and says so in a box when it could not be written.
inline void SavePictureCommand(UserDialogs& dialogs, const QString& filter,
                               const std::function<bool(const QString& name)>& save) {
    const FileDialogRequest request{QStringLiteral("Save picture"), filter, QStringLiteral("*.png"),
                                    QStringLiteral("png"),          false,  true};
    const std::optional<QString> name = dialogs.saveFileName(request);
    if (!name) return;
    if (!save(*name))
        dialogs.message(QStringLiteral("Cannot write file ") + *name, QStringLiteral("Save picture"),
                        MessageIcon::Critical);
}

}  // namespace tk
