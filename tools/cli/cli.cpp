#include "tools/cli/cli.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <functional>
#include <map>

#include "app/inifile.h"
#include "app/settings.h"
#include "db/connstring.h"
#include "db/database.h"
#include "db/query.h"
#include "search/codeformat.h"
#include "search/quicksearch.h"
#include "search/searchrun.h"
#include "text/arshower.h"
#include "text/richcharset.h"
#include "text/richview.h"
#include "text/rtfreader.h"
#include "tree/treeload.h"
#include "tree/treev.h"

namespace st::cli {

namespace {

using st::db::Database;
using st::db::DbError;
using st::db::Query;
using st::tree::LoadedNode;
using st::tree::TLRevsInfo;

// A failure the user can mend: a message and exit status 2.
struct UsageError {
    QString text;
};

// ---- options --------------------------------------------------------------

struct OptionSpec {
    QString name;   // without the leading "--"
    QString value;  // the value's name in the help, empty for a switch
    QString help;
};

struct CommandSpec {
    QString name;
    QString args;  // positional arguments, for the help
    QString summary;
    QList<OptionSpec> options;
    QString details;
};

const QList<OptionSpec>& GlobalOptions() {
    static const QList<OptionSpec> o = {
        {"ini", "FILE", "settings file to read instead of SearchTool.ini of the current folder"},
        {"db", "FILE", "database to open instead of the DB_Name of the settings"},
        {"json", "", "one JSON document on standard output instead of text for people"},
        {"help", "", "explain the program or the command, and do nothing else"},
    };
    return o;
}

const QList<CommandSpec>& Commands() {
    static const QList<CommandSpec> c = {
        {"lists",
         "",
         "the list heads in document order, with their visibility",
         {},
         "Each head is a list or a group of lists. A head is visible unless the\n"
         "settings exclude it ([Names] Excluded, List_1, List_2, ...)."},
        {"search",
         "TEXT",
         "the quick search of the desktop program",
         {{"lists", "IDS",
           "comma-separated list ids to search, a group for its lists (default: all but the "
           "excluded)"},
          {"full", "", "whole-list mode: every entry of the lists, the hits marked"}},
         "TEXT is matched as the search box matches it: \"%\" stands for any run of\n"
         "characters and is added at both ends, case and accents are ignored.\n"
         "An empty TEXT gives every entry. The result is the tree of the hits with\n"
         "their ancestors as context."},
        {"code",
         "CODE",
         "the customs-code search (UKT ZED, or TN ZED with --tn)",
         {{"exact", "", "the code itself only, not the codes it heads"},
          {"tn", "", "search TN ZED codes instead of UKT ZED codes"},
          {"lists", "IDS", "comma-separated list ids to search"}},
         "CODE is formatted as the code box formats it (\"8401100000\" becomes\n"
         "\"8401 10 00 00\")."},
        {"show",
         "ID",
         "the composed text of an entry in its context",
         {{"rules", "SECTION",
           "composition rules: a ParamSet section of the settings "
           "(default ParamSet01)"},
          {"highlight", "TEXT", "mark the hits of a quick-search text"},
          {"format", "text|rtf", "plain text (default) or the RTF the viewer holds"}},
         "In the text form the lines of the context (ancestors, siblings, dots) begin\n"
         "with \"| \"; the entry's own lines have no prefix. Hits are put between\n"
         "\xc2\xab and \xc2\xbb."},
        {"entry", "ID", "one entry's fields, annotations by kind and terms", {}, ""},
        {"screen",
         "FILE",
         "batch screening of codes and words, one item a line",
         {{"exact", "", "code lines find the code itself only"},
          {"csv", "", "CSV rows on standard output, the summary on standard error"},
          {"lists", "IDS", "comma-separated list ids to search"}},
         "FILE is a text file, or \"-\" for standard input. A line of digits, blanks\n"
         "and dots (two digits at least) is a UKT ZED code; any other line is a\n"
         "quick-search text. Empty lines are skipped. Every other line gets one\n"
         "row, found or not, so the record is complete."},
        {"rtf2txt", "FILE", "the plain text the RTF reader gets from an RTF file", {}, ""},
    };
    return c;
}

const CommandSpec* FindCommand(const QString& name) {
    for (const CommandSpec& c : Commands())
        if (c.name == name) return &c;
    return nullptr;
}

const OptionSpec* FindOption(const QList<OptionSpec>& list, const QString& name) {
    for (const OptionSpec& o : list)
        if (o.name == name) return &o;
    return nullptr;
}

bool TakesValue(const QString& name) {
    for (const CommandSpec& c : Commands())
        if (const OptionSpec* o = FindOption(c.options, name)) return !o->value.isEmpty();
    const OptionSpec* g = FindOption(GlobalOptions(), name);
    return g && !g->value.isEmpty();
}

struct ParsedArgs {
    QString command;
    std::map<QString, QString> options;  // name -> value ("" for a switch)
    QStringList positional;
    bool has(const QString& n) const { return options.count(n) != 0; }
    QString value(const QString& n) const {
        auto it = options.find(n);
        return it == options.end() ? QString() : it->second;
    }
};

ParsedArgs Parse(const QStringList& args) {
    ParsedArgs p;
    bool onlyPositional = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (onlyPositional || a == u"-" || !a.startsWith(u'-')) {
            if (p.command.isEmpty() && !onlyPositional)
                p.command = a;
            else
                p.positional << a;
            continue;
        }
        if (a == u"--") {  // what follows is no option, even with a leading "-"
            if (p.command.isEmpty() && i + 1 < args.size()) p.command = args[++i];
            onlyPositional = true;
            continue;
        }
        QString name = a == u"-h" ? QStringLiteral("help") : a.mid(a.startsWith(u"--") ? 2 : 1);
        QString value;
        const qsizetype eq = name.indexOf(u'=');
        const bool inlineValue = eq >= 0;
        if (inlineValue) {
            value = name.mid(eq + 1);
            name.truncate(eq);
        }
        const CommandSpec* cmd = FindCommand(p.command);
        const OptionSpec* spec = FindOption(GlobalOptions(), name);
        if (!spec && cmd) spec = FindOption(cmd->options, name);
        if (!spec) {
            if (!cmd && p.command.isEmpty() && TakesValue(name))
                throw UsageError{QStringLiteral("option --%1 comes after the command").arg(name)};
            throw UsageError{
                cmd ? QStringLiteral("unknown option --%1 for '%2'").arg(name, cmd->name)
                    : QStringLiteral("unknown option --%1").arg(name)};
        }
        if (!spec->value.isEmpty() && !inlineValue) {
            if (i + 1 >= args.size())
                throw UsageError{
                    QStringLiteral("option --%1 needs a value (%2)").arg(name, spec->value)};
            value = args[++i];
        } else if (spec->value.isEmpty() && inlineValue) {
            throw UsageError{QStringLiteral("option --%1 takes no value").arg(name)};
        }
        p.options[name] = value;
    }
    return p;
}

QString OptionLine(const OptionSpec& o) {
    QString left = QStringLiteral("  --") + o.name;
    if (!o.value.isEmpty()) left += u' ' + o.value;
    return left.leftJustified(24) + u' ' + o.help + u'\n';
}

QString MainHelp() {
    QString h = QStringLiteral(
        "usage: searchtool-cli [--ini FILE] [--db FILE] [--json] COMMAND [OPTIONS] [ARGS]\n\n"
        "Searches the control lists of the desktop program's database, with the same\n"
        "settings, queries and composition. Never writes the database or the settings.\n\n"
        "Commands:\n");
    for (const CommandSpec& c : Commands())
        h += (QStringLiteral("  ") + c.name + u' ' + c.args).leftJustified(24) + u' ' + c.summary +
             u'\n';
    h += QStringLiteral("\nOptions of every command:\n");
    for (const OptionSpec& o : GlobalOptions()) h += OptionLine(o);
    h += QStringLiteral(
        "\nA TEXT that begins with \"-\" follows \"--\": searchtool-cli search -- -ray\n"
        "\nExit status: 0 something was found, 1 nothing was found, 2 an error.\n"
        "Run 'searchtool-cli COMMAND --help' for a command's options.\n");
    return h;
}

QString CommandHelp(const CommandSpec& c) {
    QString h = QStringLiteral("usage: searchtool-cli [--ini FILE] [--db FILE] [--json] ") + c.name;
    if (!c.options.isEmpty()) h += QStringLiteral(" [OPTIONS]");
    if (!c.args.isEmpty()) h += u' ' + c.args;
    h += QStringLiteral("\n\n") + c.summary + u'\n';
    if (!c.details.isEmpty()) h += u'\n' + c.details + u'\n';
    if (!c.options.isEmpty()) {
        h += QStringLiteral("\nOptions:\n");
        for (const OptionSpec& o : c.options) h += OptionLine(o);
    }
    h += QStringLiteral("\nOptions of every command:\n");
    for (const OptionSpec& o : GlobalOptions()) h += OptionLine(o);
    return h;
}

// ---- the environment: settings, database, visible lists -------------------

class Env {
  public:
    explicit Env(const ParsedArgs& a) : args_(a) {
        if (a.has(QStringLiteral("ini"))) {
            iniPath_ = a.value(QStringLiteral("ini"));
            if (!QFileInfo(iniPath_).isFile())
                throw UsageError{QStringLiteral("settings file not found: %1").arg(iniPath_)};
        } else {
            iniPath_ = st::app::IniFile::currentPath();
        }
        iniPath_ = QFileInfo(iniPath_).absoluteFilePath();
    }

    st::app::IniFile ini() const { return st::app::IniFile(iniPath_); }
    QString iniPath() const { return iniPath_; }

    Database* db() {
        if (db_) return db_.get();
        QString path = args_.value(QStringLiteral("db"));
        if (path.isEmpty()) {
            const QString name = ini().readString(st::app::ini::Names, st::app::ini::DB_Name);
            if (name.isEmpty())
                throw UsageError{
                    QStringLiteral("no database: DB_Name is not set in %1; name one with --db FILE")
                        .arg(iniPath_)};
            // A bare name is a file beside the settings, as the desktop program
            // (which runs in the settings' folder) reads it.
            path = st::db::ResolveDbPath(name, QFileInfo(iniPath_).absolutePath());
        }
        if (!QFileInfo(path).isFile())
            throw UsageError{QStringLiteral("database file not found: %1").arg(path)};
        if (st::db::LooksLikeAccessFile(path))
            throw UsageError{QStringLiteral("%1 is an Access database; convert it with "
                                            "searchtool-import %1 OUT.db and open the result")
                                 .arg(path)};
        try {
            db_ = Database::openReadOnly(path);
        } catch (const DbError& e) {
            throw UsageError{QStringLiteral("cannot read the database: %1").arg(e.text())};
        }
        st::text::SetCharsetOverride(
            ini().readInteger(st::app::ini::Names, st::app::ini::Charset, -1));
        return db_.get();
    }

    // The list heads with the visibility the settings and --lists give.
    QList<TLRevsInfo>& heads() {
        if (headsRead_) return heads_;
        headsRead_ = true;
        Query q(db(), st::tree::kHeadsSQL);
        heads_ = st::tree::ReadListHeads(q, {});
        st::search::ApplyExcludedLists(heads_, st::app::ReadExcludedLists(ini()));
        if (args_.has(QStringLiteral("lists"))) {
            QList<int> wanted;
            for (const QString& part :
                 args_.value(QStringLiteral("lists")).split(u',', Qt::SkipEmptyParts)) {
                bool ok = false;
                const int id = part.trimmed().toInt(&ok);
                if (!ok)
                    throw UsageError{QStringLiteral("--lists: '%1' is not a list id").arg(part)};
                bool known = false;
                for (const TLRevsInfo& h : heads_) known = known || h.rev_id == id;
                if (!known)
                    throw UsageError{
                        QStringLiteral("--lists: no list head has the id %1 (see 'lists')")
                            .arg(id)};
                wanted << id;
            }
            // A group stands for the lists in it.
            st::db::Statement parentOf(
                db()->handle(),
                QStringLiteral("select Parent_ID from List_Entries where Entry_ID=?"));
            for (TLRevsInfo& h : heads_) {
                parentOf.reset();
                parentOf.bind(1, h.rev_id);
                const int parent = parentOf.step() ? parentOf.intValue(0) : 0;
                h.fshow = wanted.contains(h.rev_id) || (parent > 0 && wanted.contains(parent));
            }
        }
        return heads_;
    }

    QString visibles() { return st::tree::MakeVisibleLists(heads(), true); }

    QJsonArray visibleListIds() {
        QJsonArray a;
        for (const TLRevsInfo& h : heads())
            if (h.fshow) a.append(h.rev_id);
        return a;
    }

    // Short code and title of an entry.
    std::pair<QString, QString> names(int id) {
        if (!byId_)
            byId_ = std::make_unique<st::db::Statement>(
                db()->handle(),
                QStringLiteral(
                    "select Entry_Short, List_Title from List_Entries where Entry_ID=?"));
        byId_->reset();
        byId_->bind(1, id);
        if (!byId_->step()) return {};
        return {byId_->value(0).toString().trimmed(), byId_->value(1).toString().trimmed()};
    }

  private:
    const ParsedArgs& args_;
    QString iniPath_;
    std::unique_ptr<Database> db_;
    QList<TLRevsInfo> heads_;
    bool headsRead_ = false;
    std::unique_ptr<st::db::Statement> byId_;
};

// The frame every JSON answer has.
QJsonObject Envelope(Env& env, const ParsedArgs& a) {
    QJsonObject asked;
    asked[QStringLiteral("command")] = a.command;
    asked[QStringLiteral("arguments")] = QJsonArray::fromStringList(a.positional);
    QJsonObject opts;
    for (const auto& [k, v] : a.options)
        if (k != u"json") opts[k] = v.isEmpty() ? QJsonValue(true) : QJsonValue(v);
    asked[QStringLiteral("options")] = opts;
    QJsonObject o;
    o[QStringLiteral("asked")] = asked;
    o[QStringLiteral("database")] = env.db()->path();
    o[QStringLiteral("time")] = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    return o;
}

void PrintJson(QTextStream& out, const QJsonObject& o) {
    out << QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented));
}

int ListOf(const LoadedNode& n) {
    return n.revision > 0 ? n.revision : n.id();
}

// ---- searches -------------------------------------------------------------

// The entry query of a quick-search text, bound as the search box binds it.
std::unique_ptr<Query> QuickSearchQuery(Database* db, const QString& text, bool searchCache) {
    if (text.trimmed().isEmpty())
        return std::make_unique<Query>(db, st::search::kWholeListSearchSQL);
    auto q = std::make_unique<Query>(db, st::search::kQuickSearchSQL);
    q->setUseSearchCache(searchCache);
    st::search::BindQuickSearch(*q, st::search::MakeQuickSearchForms(text));
    return q;
}

// The text of a code box after typing `code` into it.
QString CodeBoxText(const QString& code, int mask) {
    return st::search::FormatCodeText({code, 0, 0}, mask).text;
}

std::unique_ptr<Query> CodeQuery(Database* db, const QString& code, bool tn, bool exact) {
    if (tn)
        return std::make_unique<Query>(
            db, st::search::MakeTN_SQL(CodeBoxText(code, st::search::kTNMask).trimmed()));
    return std::make_unique<Query>(
        db, st::search::MakeUKT_SQL(CodeBoxText(code, st::search::kUKTMask), exact));
}

QJsonArray NodesJson(Env& env, const st::search::SearchTree& t) {
    QJsonArray a;
    for (const LoadedNode& n : t.nodes) {
        const auto [shortCode, title] = env.names(n.id());
        QJsonObject o;
        o[QStringLiteral("entry_id")] = n.id();
        o[QStringLiteral("hit")] = n.data > 0;
        o[QStringLiteral("depth")] = n.level;
        o[QStringLiteral("short_code")] = shortCode;
        o[QStringLiteral("title")] = title;
        o[QStringLiteral("list_id")] = ListOf(n);
        if (n.hiddenHead) o[QStringLiteral("hidden_list")] = true;
        a.append(o);
    }
    return a;
}

void PrintTree(Env& env, QTextStream& out, const st::search::SearchTree& t) {
    for (const LoadedNode& n : t.nodes) {
        const auto [shortCode, title] = env.names(n.id());
        QString text = shortCode.isEmpty() ? title : shortCode + u' ' + title;
        if (text.isEmpty()) text = QStringLiteral("#") + QString::number(n.id());
        out << QString(n.level * 2, u' ');
        if (n.data > 0)
            out << "* " << text;
        else
            out << "  [" << text << ']';
        if (n.hiddenHead) out << " (list not searched)";
        out << '\n';
    }
}

int ReportTree(Env& env, const ParsedArgs& a, QTextStream& out, st::search::SearchTree& t) {
    const int hits = t.hitCount();
    if (a.has(QStringLiteral("json"))) {
        QJsonObject o = Envelope(env, a);
        o[QStringLiteral("lists")] = env.visibleListIds();
        o[QStringLiteral("hits")] = hits;
        o[QStringLiteral("results")] = NodesJson(env, t);
        PrintJson(out, o);
    } else {
        PrintTree(env, out, t);
        out << hits << (hits == 1 ? " hit\n" : " hits\n");
    }
    return hits > 0 ? kFound : kNothing;
}

QString OnePositional(const ParsedArgs& a, const QString& what) {
    if (a.positional.size() != 1)
        throw UsageError{QStringLiteral("'%1' needs exactly one %2").arg(a.command, what)};
    return a.positional.front();
}

int EntryIdArgument(const ParsedArgs& a) {
    bool ok = false;
    const int id = OnePositional(a, QStringLiteral("entry id")).toInt(&ok);
    if (!ok || id <= 0)
        throw UsageError{QStringLiteral("'%1' is not an entry id").arg(a.positional.front())};
    return id;
}

st::search::ListMode ModeOf(const ParsedArgs& a) {
    return a.has(QStringLiteral("full")) ? st::search::ListMode::Full
                                         : st::search::ListMode::Filtered;
}

int CmdLists(Env& env, const ParsedArgs& a, QTextStream& out) {
    if (!a.positional.isEmpty()) throw UsageError{QStringLiteral("'lists' takes no arguments")};
    QList<TLRevsInfo>& heads = env.heads();
    if (a.has(QStringLiteral("json"))) {
        QJsonObject o = Envelope(env, a);
        QJsonArray arr;
        for (const TLRevsInfo& h : heads) {
            const auto [shortCode, title] = env.names(h.rev_id);
            QJsonObject x;
            x[QStringLiteral("id")] = h.rev_id;
            x[QStringLiteral("kind")] =
                h.typ == 1 ? QStringLiteral("list") : QStringLiteral("group");
            x[QStringLiteral("short_code")] = shortCode;
            x[QStringLiteral("title")] = title;
            x[QStringLiteral("visible")] = h.fshow;
            arr.append(x);
        }
        o[QStringLiteral("results")] = arr;
        PrintJson(out, o);
    } else {
        for (const TLRevsInfo& h : heads) {
            const auto [shortCode, title] = env.names(h.rev_id);
            out << QString::number(h.rev_id).rightJustified(8) << "  "
                << (h.typ == 1 ? "list " : "group") << "  " << (h.fshow ? "visible" : "hidden ")
                << "  " << (shortCode.isEmpty() ? title : shortCode + u' ' + title) << '\n';
        }
    }
    return heads.isEmpty() ? kNothing : kFound;
}

int CmdSearch(Env& env, const ParsedArgs& a, QTextStream& out) {
    if (a.positional.size() > 1)
        throw UsageError{QStringLiteral("'search' takes one TEXT; quote a text with blanks")};
    const QString text = a.positional.value(0);
    auto q = QuickSearchQuery(env.db(), text, false);
    st::search::SearchTree t =
        st::search::LoadSearchTree(env.db(), *q, ModeOf(a), env.heads(), env.visibles());
    return ReportTree(env, a, out, t);
}

int CmdCode(Env& env, const ParsedArgs& a, QTextStream& out) {
    const QString code = OnePositional(a, QStringLiteral("CODE"));
    if (code.trimmed().isEmpty()) throw UsageError{QStringLiteral("the code is empty")};
    auto q = CodeQuery(env.db(), code, a.has(QStringLiteral("tn")), a.has(QStringLiteral("exact")));
    st::search::SearchTree t = st::search::LoadSearchTree(
        env.db(), *q, st::search::ListMode::Filtered, env.heads(), env.visibles());
    return ReportTree(env, a, out, t);
}

// ---- show -----------------------------------------------------------------

bool EntryExists(Database* db, int id, QTextStream& err) {
    st::db::Statement probe(db->handle(),
                            QStringLiteral("select 1 from List_Entries where Entry_ID=?"));
    probe.bind(1, id);
    if (probe.step()) return true;
    err << "searchtool-cli: no entry has the id " << id << '\n';
    return false;
}

// The composed text for people: context lines prefixed, hits marked.
QString AnnotateComposed(const QString& plain, const QList<std::pair<int, int>>& own,
                         QList<std::pair<int, int>> hits) {
    std::sort(hits.begin(), hits.end());
    auto isOwn = [&](int from, int to) {
        for (const auto& [s, e] : own)
            if (s < to && from < e) return true;
        return false;
    };
    QString out;
    qsizetype h = 0;
    int lineStart = 0;
    while (lineStart <= plain.size()) {
        int lineEnd = int(plain.indexOf(u'\n', lineStart));
        if (lineEnd < 0) lineEnd = int(plain.size());
        if (lineEnd == plain.size() && lineStart == lineEnd && lineStart > 0) break;
        if (!isOwn(lineStart, std::max(lineEnd, lineStart + 1))) out += QStringLiteral("| ");
        for (int i = lineStart; i < lineEnd; ++i) {
            while (h < hits.size() && hits[h].first + hits[h].second <= i) ++h;
            if (h < hits.size() && hits[h].first == i) out += QStringLiteral("\u00ab");
            out += plain[i];
            if (h < hits.size() && hits[h].first + hits[h].second == i + 1)
                out += QStringLiteral("\u00bb");
        }
        out += u'\n';
        lineStart = lineEnd + 1;
    }
    return out;
}

int CmdShow(Env& env, const ParsedArgs& a, QTextStream& out, QTextStream& err) {
    const int id = EntryIdArgument(a);
    const QString format = a.has(QStringLiteral("format")) ? a.value(QStringLiteral("format"))
                                                           : QStringLiteral("text");
    if (format != u"text" && format != u"rtf")
        throw UsageError{QStringLiteral("--format: '%1' is neither text nor rtf").arg(format)};
    const QString rules = a.has(QStringLiteral("rules")) ? a.value(QStringLiteral("rules"))
                                                         : st::app::ini::ParamSet01;
    auto hasRules = [&] {
        const st::app::IniFile ini = env.ini();
        if (ini.hasKey(rules, QStringLiteral("top_max"))) return true;
        for (const char* key : {"down_step_0", "text_step_0", "afte_step_0"})
            if (ini.hasKey(rules, QLatin1String(key))) return true;
        return false;
    };
    if (a.has(QStringLiteral("rules")) && !hasRules())
        throw UsageError{
            QStringLiteral("--rules: the settings %1 have no section [%2] of composition rules")
                .arg(env.iniPath(), rules)};
    Database* db = env.db();
    if (!EntryExists(db, id, err)) return kNothing;
    st::tree::TfamTreeV tree;
    tree.SetDatabase(db);
    tree.liHeads = env.heads();
    tree.Make_liVisibles();
    st::text::TfamArShower shower;
    QStringList patterns;
    if (a.has(QStringLiteral("highlight")))
        st::search::FillHiStarWords(patterns, a.value(QStringLiteral("highlight")), true);
    shower.setPatterns(&patterns);
    shower.RegisterMe(&tree, false);
    shower.ReadRules(rules, env.iniPath());
    shower.resize(800, 600);
    tree.NotifyAll(id, true);
    do QCoreApplication::processEvents();
    while (shower.isComposing());

    const QString plain = shower.redText->plainText();
    QList<std::pair<int, int>> own, hits;
    for (const st::text::Placement_Item& it : shower.items) {
        if (it.id != id) continue;
        if (it.isTitle) own.append({it.spTitle, it.epTitle});
        if (it.isText) own.append({it.spText, it.epText});
        if (it.isAfte) own.append({it.spAfte, it.epAfte});
    }
    for (int i = 0; i < shower.thlFound.founkvo; ++i) {
        const st::text::HiliCoo& hc = shower.thlFound.founHil[i];
        if (hc.scrpos >= 0 && hc.len > 0) hits.append({hc.scrpos, hc.len});
    }
    if (a.has(QStringLiteral("json"))) {
        QJsonObject o = Envelope(env, a);
        o[QStringLiteral("entry_id")] = id;
        o[QStringLiteral("rules")] = rules;
        o[QStringLiteral("text")] =
            format == u"rtf" ? QString::fromLatin1(shower.redText->saveRtf()) : plain;
        auto ranges = [](const QList<std::pair<int, int>>& list, bool asEnd) {
            QJsonArray r;
            for (const auto& [s, x] : list) r.append(QJsonArray{s, asEnd ? x : s + x});
            return r;
        };
        o[QStringLiteral("own_ranges")] = ranges(own, true);
        o[QStringLiteral("hit_ranges")] = ranges(hits, false);
        PrintJson(out, o);
    } else if (format == u"rtf") {
        out << QString::fromLatin1(shower.redText->saveRtf());
    } else {
        out << AnnotateComposed(plain, own, hits);
    }
    return kFound;
}

// ---- entry ----------------------------------------------------------------

QString PlainOfRich(const QVariant& v) {
    if (v.isNull()) return QString();
    QByteArray bytes =
        v.typeId() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toUtf8();
    if (!bytes.isEmpty() && bytes.back() == '\0') bytes.chop(1);
    return st::text::RtfPlainText(bytes).trimmed();
}

int CmdEntry(Env& env, const ParsedArgs& a, QTextStream& out, QTextStream& err) {
    const int id = EntryIdArgument(a);
    Database* db = env.db();
    st::db::Statement e(db->handle(),
                        QStringLiteral("select Parent_ID, Revision_ID, Entry_type, Entry_Short, "
                                       "List_Title, Rich_Title, Sort_list, Sort_Num "
                                       "from List_Entries where Entry_ID=?"));
    e.bind(1, id);
    if (!e.step()) {
        err << "searchtool-cli: no entry has the id " << id << '\n';
        return kNothing;
    }
    const int revision = e.value(1).toInt();
    const int list = revision > 0 ? revision : id;
    QJsonObject entry;
    entry[QStringLiteral("entry_id")] = id;
    entry[QStringLiteral("parent_id")] = e.value(0).toInt();
    entry[QStringLiteral("list_id")] = list;
    entry[QStringLiteral("type")] = e.value(2).toInt();
    entry[QStringLiteral("short_code")] = e.value(3).toString().trimmed();
    entry[QStringLiteral("title")] = e.value(4).toString().trimmed();
    entry[QStringLiteral("full_title")] = PlainOfRich(e.value(5));

    // Kind names belong to the list the entry is in.
    std::map<int, QString> kindNames;
    if (db->hasTable(QStringLiteral("SYN_NAME"))) {
        st::db::Statement k(
            db->handle(),
            QStringLiteral("select SYN_NUMBER, NAME from SYN_NAME where REVISION_ID=?"));
        k.bind(1, list);
        while (k.step()) kindNames[k.value(0).toInt()] = k.value(1).toString().trimmed();
    }
    QJsonArray annotations;
    if (db->hasTable(QStringLiteral("SYNONYM"))) {
        st::db::Statement s(db->handle(),
                            QStringLiteral("select SYNONYM_ID, SYN_NUMBER, TEXT from SYNONYM "
                                           "where ENTRY_ID=? order by SYN_NUMBER, SYNONYM_ID"));
        s.bind(1, id);
        while (s.step()) {
            QJsonObject x;
            const int kind = s.value(1).toInt();
            x[QStringLiteral("id")] = s.value(0).toInt();
            x[QStringLiteral("kind")] = kind;
            x[QStringLiteral("kind_name")] = kindNames.count(kind) ? kindNames[kind] : QString();
            x[QStringLiteral("text")] = PlainOfRich(s.value(2));
            annotations.append(x);
        }
    }
    QJsonArray terms;
    if (db->hasTable(QStringLiteral("Term_In_List"))) {
        st::db::Statement t(
            db->handle(),
            QStringLiteral("Select List_Entries.Entry_ID, List_Entries.List_Title, "
                           "List_Entries.Rich_Title FROM List_Entries INNER JOIN Term_In_List "
                           "ON List_Entries.Entry_ID = Term_In_List.Term_ID "
                           "WHERE (Term_In_List.Entry_ID)=? ORDER by List_Entries.List_Title"));
        t.bind(1, id);
        while (t.step()) {
            QJsonObject x;
            x[QStringLiteral("entry_id")] = t.value(0).toInt();
            x[QStringLiteral("title")] = t.value(1).toString().trimmed();
            x[QStringLiteral("definition")] = PlainOfRich(t.value(2));
            terms.append(x);
        }
    }
    if (a.has(QStringLiteral("json"))) {
        QJsonObject o = Envelope(env, a);
        o[QStringLiteral("entry")] = entry;
        o[QStringLiteral("annotations")] = annotations;
        o[QStringLiteral("terms")] = terms;
        PrintJson(out, o);
        return kFound;
    }
    for (const char* key :
         {"entry_id", "short_code", "title", "full_title", "type", "list_id", "parent_id"}) {
        const QJsonValue v = entry[QLatin1String(key)];
        out << QString::fromLatin1(key).leftJustified(12) << ' '
            << (v.isString() ? v.toString() : QString::number(v.toInt())) << '\n';
    }
    if (!annotations.isEmpty()) out << "annotations:\n";
    for (const QJsonValue& v : annotations) {
        const QJsonObject x = v.toObject();
        const QString name = x[QStringLiteral("kind_name")].toString();
        out << "  [" << (name.isEmpty() ? QString::number(x[QStringLiteral("kind")].toInt()) : name)
            << "] " << x[QStringLiteral("text")].toString().replace(u'\n', QStringLiteral("\n    "))
            << '\n';
    }
    if (!terms.isEmpty()) out << "terms:\n";
    for (const QJsonValue& v : terms) {
        const QJsonObject x = v.toObject();
        out << "  " << x[QStringLiteral("title")].toString() << " ("
            << x[QStringLiteral("entry_id")].toInt() << ")\n";
    }
    return kFound;
}

// ---- screen ---------------------------------------------------------------

bool IsCodeLine(const QString& line) {
    static const QRegularExpression shape(QStringLiteral("^[0-9][0-9 .]*$"));
    int digits = 0;
    for (QChar c : line) digits += c.isDigit();
    return digits >= 2 && shape.match(line).hasMatch();
}

QString CsvField(QString s) {
    if (s.contains(u',') || s.contains(u'"') || s.contains(u'\n') || s.contains(u'\r')) {
        s.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        return u'"' + s + u'"';
    }
    return s;
}

int CmdScreen(Env& env, const ParsedArgs& a, QTextStream& out, QTextStream& err) {
    const QString file = OnePositional(a, QStringLiteral("FILE (or - for standard input)"));
    if (a.has(QStringLiteral("csv")) && a.has(QStringLiteral("json")))
        throw UsageError{QStringLiteral("--csv and --json exclude each other")};
    QFile f;
    if (file == u"-") {
        if (!f.open(stdin, QIODevice::ReadOnly))
            throw UsageError{QStringLiteral("cannot read standard input")};
    } else {
        f.setFileName(file);
        if (!f.open(QIODevice::ReadOnly))
            throw UsageError{QStringLiteral("cannot read %1: %2").arg(file, f.errorString())};
    }
    QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
    Database* db = env.db();
    const QString visibles = env.visibles();
    int textLines = 0;
    for (const QString& l : lines) textLines += !l.trimmed().isEmpty() && !IsCodeLine(l.trimmed());
    const bool exact = a.has(QStringLiteral("exact"));
    const bool json = a.has(QStringLiteral("json")), csv = a.has(QStringLiteral("csv"));

    QJsonArray rows;
    int itemCount = 0, found = 0, hitTotal = 0, skipped = 0;
    if (csv) out << "line,input,type,hits,entries\n";
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString item = lines[n].trimmed();
        if (item.isEmpty()) {
            if (n + 1 < lines.size()) ++skipped;
            continue;
        }
        ++itemCount;
        const bool code = IsCodeLine(item);
        // Many texts: the folded copies of the search columns pay for themselves.
        auto q =
            code ? CodeQuery(db, item, false, exact) : QuickSearchQuery(db, item, textLines > 3);
        st::search::SearchTree t = st::search::LoadSearchTree(
            db, *q, st::search::ListMode::Filtered, env.heads(), visibles);
        QJsonArray entries;
        QStringList brief;
        for (const LoadedNode& node : t.nodes) {
            if (node.data <= 0) continue;
            const auto [shortCode, title] = env.names(node.id());
            QJsonObject x;
            x[QStringLiteral("entry_id")] = node.id();
            x[QStringLiteral("short_code")] = shortCode;
            x[QStringLiteral("title")] = title;
            x[QStringLiteral("list_id")] = ListOf(node);
            entries.append(x);
            brief << (shortCode.isEmpty() ? QString::number(node.id())
                                          : QString::number(node.id()) + u':' + shortCode);
        }
        const int hits = int(entries.size());
        hitTotal += hits;
        found += hits > 0;
        const QString type = code ? QStringLiteral("code") : QStringLiteral("text");
        if (json) {
            QJsonObject r;
            r[QStringLiteral("line")] = int(n + 1);
            r[QStringLiteral("input")] = item;
            r[QStringLiteral("type")] = type;
            r[QStringLiteral("hits")] = hits;
            r[QStringLiteral("entries")] = entries;
            rows.append(r);
        } else if (csv) {
            out << (n + 1) << ',' << CsvField(item) << ',' << type << ',' << hits << ','
                << CsvField(brief.join(u';')) << '\n';
        } else {
            out << "line " << (n + 1) << " (" << type << ") " << item << ": ";
            if (hits == 0)
                out << "nothing found\n";
            else
                out << hits << (hits == 1 ? " hit: " : " hits: ")
                    << brief.join(QStringLiteral(", ")) << '\n';
        }
    }
    const QString summary =
        QStringLiteral("%1 items, %2 with hits, %3 without, %4 hits in all")
            .arg(itemCount)
            .arg(found)
            .arg(itemCount - found)
            .arg(hitTotal) +
        (skipped ? QStringLiteral(", %1 empty lines skipped").arg(skipped) : QString());
    if (json) {
        QJsonObject o = Envelope(env, a);
        o[QStringLiteral("lists")] = env.visibleListIds();
        o[QStringLiteral("results")] = rows;
        QJsonObject s;
        s[QStringLiteral("items")] = itemCount;
        s[QStringLiteral("with_hits")] = found;
        s[QStringLiteral("without_hits")] = itemCount - found;
        s[QStringLiteral("hits")] = hitTotal;
        s[QStringLiteral("empty_lines_skipped")] = skipped;
        o[QStringLiteral("summary")] = s;
        PrintJson(out, o);
    } else if (csv) {
        err << summary << '\n';
    } else {
        out << summary << '\n';
    }
    return found > 0 ? kFound : kNothing;
}

int CmdRtf2Txt(const ParsedArgs& a, QTextStream& out) {
    const QString file = OnePositional(a, QStringLiteral("FILE"));
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        throw UsageError{QStringLiteral("cannot read %1: %2").arg(file, f.errorString())};
    const QByteArray bytes = f.readAll();
    if (!st::text::LooksLikeRtf(bytes))
        throw UsageError{
            QStringLiteral("%1 is not an RTF file (it does not begin with {\\rtf)").arg(file)};
    const QString text = st::text::RtfPlainText(bytes);
    out << text;
    if (!text.endsWith(u'\n')) out << '\n';
    return text.trimmed().isEmpty() ? kNothing : kFound;
}

}  // namespace

QString CommandOf(const QStringList& args) {
    try {
        return Parse(args).command;
    } catch (const UsageError&) {
        return QString();
    }
}

int Run(const QStringList& args, QTextStream& out, QTextStream& err) {
    try {
        const ParsedArgs a = Parse(args);
        const CommandSpec* cmd = FindCommand(a.command);
        if (a.command.isEmpty() || (!cmd && a.has(QStringLiteral("help")))) {
            (a.command.isEmpty() && !a.has(QStringLiteral("help")) ? err : out) << MainHelp();
            return a.has(QStringLiteral("help")) ? kFound : kError;
        }
        if (!cmd) throw UsageError{QStringLiteral("unknown command '%1'").arg(a.command)};
        if (a.has(QStringLiteral("help"))) {
            out << CommandHelp(*cmd);
            return kFound;
        }
        if (a.command == u"rtf2txt") return CmdRtf2Txt(a, out);
        Env env(a);
        if (a.command == u"lists") return CmdLists(env, a, out);
        if (a.command == u"search") return CmdSearch(env, a, out);
        if (a.command == u"code") return CmdCode(env, a, out);
        if (a.command == u"show") return CmdShow(env, a, out, err);
        if (a.command == u"entry") return CmdEntry(env, a, out, err);
        return CmdScreen(env, a, out, err);
    } catch (const UsageError& e) {
        err << "searchtool-cli: " << e.text << '\n';
        return kError;
    } catch (const DbError& e) {
        err << "searchtool-cli: database error: " << e.text() << '\n';
        return kError;
    }
}

}  // namespace st::cli
