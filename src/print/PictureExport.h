#pragma once

#include <QImage>
#include <QString>
#include <functional>

#include "Canvas.h"

namespace tk {

// Saves the graph as a picture for a report, by the file name's extension: ".svg" draws the graph anew with
// drawVector on a vector canvas of the shown picture's size; anything else writes the shown picture as PNG.
// False when the file could not be written; an old file of the name is then left as it was.
bool SaveGraphPicture(const QString& fileName, const QImage& shown,
                      const std::function<void(Canvas&)>& drawVector);

}  // namespace tk
