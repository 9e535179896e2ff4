#pragma once

#include <QString>

// The maker's web pages that the Help menu opens. The host is a reserved
// example domain until the maker's real one is given.
namespace WebPages
{
inline const QString MakerHost = QStringLiteral("www.example.com");
// "VORNIX商品情報のWebページ(&M)"
inline const QString ProductPageUrl =
    QStringLiteral("http://") + MakerHost + QStringLiteral("/voxbridge/vornix/");
// "最新サポート情報のWebページ(&S)"
inline const QString SupportPageUrl =
    QStringLiteral("http://") + MakerHost + QStringLiteral("/voxbridge/support/");
} // namespace WebPages
