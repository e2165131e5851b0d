#include "names.h"

namespace {

bool isAsciiOnly(const QByteArray &bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

QString decodedName(const QByteArray &raw)
{
    return QString::fromUtf8(raw);
}

QByteArray collationKey(const QByteArray &raw)
{
    if (isAsciiOnly(raw)) {
        // Most names are plain ASCII, and most of those are lower case already:
        // share the raw bytes then instead of copying them.
        for (char c : raw) {
            if (c >= 'A' && c <= 'Z')
                return raw.toLower();
        }
        return raw;
    }
    return decodedName(raw).toLower().toUtf8();
}

QByteArray childPath(const QByteArray &dirPath, const QByteArray &name)
{
    QByteArray path;
    path.reserve(dirPath.size() + 1 + name.size());
    path += dirPath;
    if (!path.endsWith('/'))
        path += '/';
    path += name;
    return path;
}
