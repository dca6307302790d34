#pragma once

#include <QString>

// The program's fixed texts.
namespace appinfo {

inline const QString Version = QStringLiteral("1.30");
inline const QString LastUpdate = QStringLiteral("2007/04/04");
inline const QString Caption = QStringLiteral("Pelora Ver ") + Version;
inline const QString InfoLine1 =
    QStringLiteral("Pelora Ver ") + Version + QStringLiteral(" LastUpdate") + LastUpdate + QStringLiteral(" by VORMAK");
inline const QString InfoLine2 = QStringLiteral("本ソフトはフリーソフトです。ご利用は利用者の責任でお願いします。");
inline const QString Support = QStringLiteral("質問は下のバナーをクリックしてVORMAKフリー掲示板へ");
// The maker's home page, opened by the banner on the settings page.
inline const QString HomePage = QStringLiteral("https://www.vormak.example/");

} // namespace appinfo
