#pragma once
#include <QList>
#include <QString>

#include "app/inifile.h"

namespace st::app {

// Names of the sections and keys the program uses.
namespace ini {
inline const QString Names = QStringLiteral("Names");
inline const QString DB_Name = QStringLiteral("DB_Name");
inline const QString Language = QStringLiteral("Language");
inline const QString Charset = QStringLiteral("Charset");
inline const QString login_name = QStringLiteral("login_name");
inline const QString User = QStringLiteral("User");
inline const QString PassID = QStringLiteral("PassID");
inline const QString Excluded = QStringLiteral("Excluded");
inline const QString ParamSet01 = QStringLiteral("ParamSet01");
inline const QString ParamSet02 = QStringLiteral("ParamSet02");
}  // namespace ini

// The language code, cut to the three characters the program reads.
QString ReadLanguageCode(const IniFile& f);

// List heads hidden at start-up: List_1, List_2, ... up to the first key that
// is missing or not greater than 0.
QList<int> ReadExcludedLists(const IniFile& f);

// One composition rule for a depth.
struct DepthRule {
    int down_step = 0;
    int text_step = -1;
    int afte_step = -1;
    bool operator==(const DepthRule&) const = default;
};

// The depth rules of a ParamSet section: top_max (default 20, capped at 20)
// and the rules for depths 0 .. top_max, each key defaulting to the value read
// for the depth above. A top_max below 0 gives no rules.
struct CompositionRules {
    int top_max = 20;
    QList<DepthRule> al_rulls;
};
CompositionRules ReadCompositionRules(const IniFile& f, const QString& section);

}  // namespace st::app
