#include "codec/Cp932SystemTable.h"

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
    // glibc's "CP932" is the Windows table; its "SHIFT_JIS" is the JIS one,
    // which lacks the NEC and IBM rows the mail client writes.
    thread_local IconvHandle handle("CP932", "UTF-8");
    return handle;
}

IconvHandle& decoder()
{
    thread_local IconvHandle handle("UTF-8", "CP932");
    return handle;
}

} // namespace

std::optional<QByteArray> Cp932SystemTable::encode(QStringView text)
{
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

QString Cp932SystemTable::decode(const QByteArray& bytes)
{
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
        pos += Cp932Rules::invalidLength(data, pos, total);
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
