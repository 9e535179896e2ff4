#include "platform/Cp932Codec.h"

#include <cerrno>
#include <iconv.h>

namespace {

// One conversion descriptor per direction and thread, opened on first use:
// iconv_open loads a gconv module and is far too slow to repeat per call when
// a whole file is decoded or a fuzzer runs millions of times.
class IconvHandle
{
public:
    IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~IconvHandle()
    {
        if (valid())
            iconv_close(m_cd);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get()
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr); // back to the initial state
        return m_cd;
    }

private:
    iconv_t m_cd;
};

IconvHandle& encoder()
{
    thread_local IconvHandle handle("CP932", "UTF-8");
    return handle;
}

IconvHandle& decoder()
{
    thread_local IconvHandle handle("UTF-8", "CP932");
    return handle;
}

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isTrailByte(unsigned char b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// QString::toUtf8 would quietly turn a lone surrogate into a replacement
// character, which would then be refused for the wrong reason or, worse,
// accepted by some other table; refuse it here in so many words.
bool hasLoneSurrogate(QStringView text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 >= n || !text.at(i + 1).isLowSurrogate())
                return true;
            ++i;
        } else if (c.isLowSurrogate()) {
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<QByteArray> Cp932Codec::encode(QStringView text)
{
    if (text.isEmpty())
        return QByteArray();
    if (hasLoneSurrogate(text))
        return std::nullopt;
    IconvHandle& handle = encoder();
    if (!handle.valid())
        return std::nullopt;

    QByteArray utf8 = text.toUtf8();
    // No CP932 character takes more than two bytes, and none is shorter in
    // UTF-8 than in CP932, so the UTF-8 length is always enough.
    QByteArray out(utf8.size(), Qt::Uninitialized);
    char* in = utf8.data();
    size_t inLeft = static_cast<size_t>(utf8.size());
    char* outPtr = out.data();
    size_t outLeft = static_cast<size_t>(out.size());

    iconv_t cd = handle.get();
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1))
        return std::nullopt;
    if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1))
        return std::nullopt;
    out.truncate(outPtr - out.data());
    return out;
}

std::optional<char32_t> Cp932Codec::firstUnencodable(QStringView text)
{
    if (encode(text))
        return std::nullopt;
    // The table is stateless, so a text encodes exactly when each of its
    // characters does; the values are short enough to try them one by one.
    for (qsizetype i = 0; i < text.size();) {
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const qsizetype length = pair ? 2 : 1;
        if (!encode(text.sliced(i, length)))
            return pair ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : char32_t(text.at(i).unicode());
        i += length;
    }
    return std::nullopt;
}

QString Cp932Codec::decode(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return QString();
    IconvHandle& handle = decoder();
    if (!handle.valid())
        return QString(bytes.size(), QChar::ReplacementCharacter);

    // A CP932 byte gives at most three UTF-8 bytes (and U+FFFD is three too).
    QByteArray utf8(bytes.size() * 3, Qt::Uninitialized);
    char* outPtr = utf8.data();
    size_t outLeft = static_cast<size_t>(utf8.size());
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const size_t total = static_cast<size_t>(bytes.size());
    size_t pos = 0;
    iconv_t cd = handle.get();

    while (pos < total) {
        char* in = const_cast<char*>(bytes.constData()) + pos;
        size_t inLeft = total - pos;
        const size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        pos = total - inLeft;
        if (result != static_cast<size_t>(-1))
            break;
        if (errno != EILSEQ && errno != EINVAL)
            break; // E2BIG cannot happen with the size above; stop rather than loop
        // Skip the bad character the way web browsers do: a lead byte with a
        // non-ASCII trail byte is one bad character of two bytes, anything else
        // one bad byte.
        size_t skip = 1;
        if (isLeadByte(data[pos]) && pos + 1 < total && isTrailByte(data[pos + 1]) && data[pos + 1] >= 0x80)
            skip = 2;
        pos += skip;
        static constexpr char replacement[] = "\xEF\xBF\xBD";
        for (char c : {replacement[0], replacement[1], replacement[2]}) {
            *outPtr++ = c;
            --outLeft;
        }
        cd = handle.get();
    }
    utf8.truncate(outPtr - utf8.data());
    return QString::fromUtf8(utf8);
}
