#include "app/settings.h"

namespace st::app {

QString ReadLanguageCode(const IniFile& f) {
    return f.readString(ini::Names, ini::Language).left(3);
}

QList<int> ReadExcludedLists(const IniFile& f) {
    QList<int> out;
    for (int n = 1;; ++n) {
        const int id = f.readInteger(ini::Excluded, QStringLiteral("List_%1").arg(n), 0);
        if (id <= 0) break;
        out << id;
    }
    return out;
}

CompositionRules ReadCompositionRules(const IniFile& f, const QString& section) {
    CompositionRules r;
    r.top_max = std::min(f.readInteger(section, QStringLiteral("top_max"), 20), 20);
    DepthRule prev;  // defaults for depth 0: 0, -1, -1
    for (int n = 0; n <= r.top_max; ++n) {
        DepthRule d;
        d.down_step = f.readInteger(section, QStringLiteral("down_step_%1").arg(n), prev.down_step);
        d.text_step = f.readInteger(section, QStringLiteral("text_step_%1").arg(n), prev.text_step);
        d.afte_step = f.readInteger(section, QStringLiteral("afte_step_%1").arg(n), prev.afte_step);
        r.al_rulls << d;
        prev = d;
    }
    return r;
}

}  // namespace st::app
