#include "reportline.h"

#include <QChar>
#include <QString>

namespace {

bool isControl(char32_t codePoint)
{
    return codePoint < 0x20 || codePoint == 0x7F;
}

void appendUtf8(QByteArray &out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        out += char(codePoint);
    } else if (codePoint < 0x800) {
        out += char(0xC0 | (codePoint >> 6));
        out += char(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += char(0xE0 | (codePoint >> 12));
        out += char(0x80 | ((codePoint >> 6) & 0x3F));
        out += char(0x80 | (codePoint & 0x3F));
    } else {
        out += char(0xF0 | (codePoint >> 18));
        out += char(0x80 | ((codePoint >> 12) & 0x3F));
        out += char(0x80 | ((codePoint >> 6) & 0x3F));
        out += char(0x80 | (codePoint & 0x3F));
    }
}

} // namespace

void ReportLine::clear()
{
    m_utf8.clear();
    m_length = 0;
}

void ReportLine::append(QStringView text)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        char32_t codePoint = text[i].unicode();
        if (QChar::isHighSurrogate(codePoint) && i + 1 < size && text[i + 1].isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
            ++i;
        } else if (QChar::isSurrogate(codePoint)) {
            codePoint = QChar::ReplacementCharacter;
        }
        appendUtf8(m_utf8, isControl(codePoint) ? U'?' : codePoint);
        ++m_length;
    }
}

void ReportLine::appendLatin1(QLatin1StringView text)
{
    append(QString(text));
}

void ReportLine::tabTo(int column)
{
    const int spaces = column > this->column() ? column - this->column() : 1;
    m_utf8.append(spaces, ' ');
    m_length += spaces;
}
