#include "platform/linux/speechd/SpeechdWireText.h"

#include "platform/SpeechObject.h"
#include "reading/PauseCharacters.h"

namespace
{

constexpr char16_t JapaneseComma = u'、';

} // namespace

QByteArray speechdWireText(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            out += QLatin1String("\r\n");
            if (i + 1 < size && text.at(i + 1) == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += QLatin1String("\r\n");
        } else if (c == AnnounceSeparator) {
            out += QChar(JapaneseComma);
        } else if (isControlCharacter(c)) {
            out += QLatin1Char(' ');
        } else {
            out += c;
        }
    }
    return out.toUtf8();
}
