#pragma once
// The program's own resources (icons, bitmaps, skin, strings) by numeric id,
// as the windows name them.

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace quelvo {

QIcon iconResource(int id);        // ":/icons/<id>.svg"; a null icon when missing
QPixmap bitmapResource(int id);    // ":/bitmaps/<id>.png"; a null pixmap when missing
// A named resource of a type, e.g. ("SKINMAGIC", "ZORVAN_SKIN"); empty when missing.
QByteArray namedResource(const QString& type, const QString& name);

}  // namespace quelvo
