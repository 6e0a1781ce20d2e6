#include "platform/Resources.h"

#include <QFile>

namespace quelvo {

QIcon iconResource(int id)
{
    const QString path = QStringLiteral(":/icons/%1.svg").arg(id);
    if (!QFile::exists(path))
        return {};
    return QIcon(path);
}

QPixmap bitmapResource(int id)
{
    return QPixmap(QStringLiteral(":/bitmaps/%1.png").arg(id));
}

QByteArray namedResource(const QString& type, const QString& name)
{
    QFile f(QStringLiteral(":/%1/%2").arg(type, name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

}  // namespace quelvo
