#include "tools/builder.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryFile>
#include <functional>

#include "db/database.h"
#include "db/schema.h"
#include "search/codeformat.h"
#include "text/fold.h"
#include "text/rtfwrite.h"

namespace st::tools {
namespace {

using st::db::Database;
using st::db::Statement;

const QSet<QString> kNodeKeys = {"kind",     "id",    "key",      "title",    "short",
                                 "type",     "text",  "after",    "law",      "synonymKinds",
                                 "synonyms", "terms", "pictures", "comments", "children"};

void checkKeys(const QJsonObject& o, const QSet<QString>& allowed, const QString& where) {
    for (auto it = o.begin(); it != o.end(); ++it)
        if (!allowed.contains(it.key()))
            throw BuildError(QStringLiteral("unknown key \"%1\" at %2").arg(it.key(), where));
}

QString plain(const QString& s) {
    return st::text::MakePlaneString(u' ' + s + u' ');
}

QVariant nullIfEmpty(const QString& s) {
    return s.isEmpty() ? QVariant() : QVariant(s);
}

QVariant richOrNull(const QString& s) {
    return s.isEmpty() ? QVariant() : QVariant(st::text::PlainToRtf(s));
}

struct Node {
    QJsonObject obj;
    QString where;
    int id = 0;
    int parent = 0;  // 0: a root
    int revision = 0;
    int sortList = 0;
    int sortNum = 0;
    QList<int> children;
};

class Builder {
  public:
    Builder(Database& db, const QDir& base) : db_(db), base_(base) {}

    void run(const QJsonObject& root) {
        checkKeys(root, {"experts", "pictureOrigins", "entries"}, "the top level");
        collect(root.value("entries").toArray(), 0, 0, 0, "entries");
        assignIds();
        st::db::Transaction tr(db_);
        writeOrigins(root.value("pictureOrigins").toArray());
        writeExperts(root.value("experts").toArray());
        for (Node& n : nodes_) writeEntry(n);
        for (Node& n : nodes_) writeAnnotations(n);
        writePictureKeys();
        tr.commit();
    }

  private:
    void collect(const QJsonArray& arr, int parentIndex, int listIndex, int sortList,
                 const QString& where) {
        for (int i = 0; i < arr.size(); ++i) {
            const QString at = QStringLiteral("%1[%2]").arg(where).arg(i);
            if (!arr[i].isObject()) throw BuildError(QStringLiteral("%1 is not an object").arg(at));
            Node n;
            n.obj = arr[i].toObject();
            n.where = at;
            checkKeys(n.obj, kNodeKeys, at);
            const QString kind = n.obj.value("kind").toString("entry");
            if (kind != "entry" && kind != "list" && kind != "group")
                throw BuildError(QStringLiteral("%1: kind must be entry, list or group").arg(at));
            const int self = int(nodes_.size()) + 1;  // 1-based index; 0 means none
            n.parent = parentIndex;
            n.sortList = parentIndex == 0 ? i + 1 : sortList;
            n.sortNum = self;
            n.revision = kind == "list" ? -self : (kind == "group" ? 0 : listIndex);
            if (n.obj.contains("id")) {
                const int id = n.obj.value("id").toInt();
                if (id <= 0) throw BuildError(QStringLiteral("%1: id must be positive").arg(at));
                if (usedIds_.contains(id))
                    throw BuildError(QStringLiteral("%1: id %2 used twice").arg(at).arg(id));
                usedIds_.insert(id);
                n.id = id;
            }
            if (n.obj.contains("key")) {
                const QString key = n.obj.value("key").toString();
                if (keys_.contains(key))
                    throw BuildError(QStringLiteral("%1: key \"%2\" used twice").arg(at, key));
                keys_.insert(key, self);
            }
            nodes_.append(n);
            if (parentIndex) nodes_[parentIndex - 1].children << self;
            const int childList = kind == "list" ? self : (kind == "group" ? 0 : listIndex);
            collect(n.obj.value("children").toArray(), self, childList, nodes_[self - 1].sortList,
                    at + ".children");
        }
    }

    void assignIds() {
        int next = 1;
        for (Node& n : nodes_) {
            if (n.id) continue;
            while (usedIds_.contains(next)) ++next;
            n.id = next;
            usedIds_.insert(next);
        }
        // Parents, list heads and term keys were recorded as node indexes.
        for (Node& n : nodes_) {
            n.parent = n.parent ? nodes_[n.parent - 1].id : 0;
            if (n.revision < 0)
                n.revision = n.id;
            else if (n.revision > 0)
                n.revision = nodes_[n.revision - 1].id;
        }
    }

    int idOfKey(const QString& key, const QString& where) const {
        const auto it = keys_.constFind(key);
        if (it == keys_.constEnd())
            throw BuildError(QStringLiteral("%1: no entry has the key \"%2\"").arg(where, key));
        return nodes_[*it - 1].id;
    }

    void writeOrigins(const QJsonArray& arr) {
        for (int i = 0; i < arr.size(); ++i) {
            const QJsonObject o = arr[i].toObject();
            const QString at = QStringLiteral("pictureOrigins[%1]").arg(i);
            checkKeys(o, {"id", "name", "icon"}, at);
            Statement st(db_.handle(), "insert into PictureOrigins values (?,?,?)");
            st.bind(1, o.value("id").toInt());
            st.bind(2, o.value("name").toString());
            st.bind(3, o.contains("icon") ? QVariant(readFile(o.value("icon").toString(), at))
                                          : QVariant());
            st.step();
        }
    }

    void writeExperts(const QJsonArray& arr) {
        for (int i = 0; i < arr.size(); ++i) {
            const QJsonObject o = arr[i].toObject();
            checkKeys(o, {"id", "login", "password", "name", "canEditPictures"},
                      QStringLiteral("experts[%1]").arg(i));
            Statement st(db_.handle(), "insert into expert values (?,?,?,?,?)");
            st.bind(1, o.value("id").toInt());
            st.bind(2, o.value("login").toString());
            st.bind(3, o.value("password").toString());
            st.bind(4, o.value("name").toString());
            st.bind(5, o.value("canEditPictures").toBool() ? 1 : 0);
            st.step();
        }
    }

    QByteArray readFile(const QString& rel, const QString& where) const {
        QFile f(base_.filePath(rel));
        if (!f.open(QIODevice::ReadOnly))
            throw BuildError(QStringLiteral("%1: cannot read %2").arg(where, f.fileName()));
        return f.readAll();
    }

    void writeEntry(const Node& n) {
        const QJsonObject& o = n.obj;
        const QString title = o.value("title").toString();
        const QString text =
            o.contains("law") ? o.value("law").toString() : o.value("text").toString();
        const QString after = o.value("after").toString();
        Statement st(db_.handle(),
                     "insert into List_Entries (Entry_ID, Parent_ID, Revision_ID, Entry_type, "
                     "List_Title, Entry_Short, Sort_list, Sort_Num, Rich_Title, Rich_Text, "
                     "Rich_After, Plain_Title, Plain_Text, Plain_After, Picture_key) "
                     "values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,0)");
        st.bind(1, n.id);
        st.bind(2, n.parent ? QVariant(n.parent) : QVariant());
        st.bind(3, n.revision);
        st.bind(4, o.value("type").toInt(0));
        st.bind(5, title);
        st.bind(6, o.value("short").toString());
        st.bind(7, n.sortList);
        st.bind(8, n.sortNum);
        st.bind(9, richOrNull(title));
        st.bind(10, richOrNull(text));
        st.bind(11, richOrNull(after));
        st.bind(12, nullIfEmpty(title.isEmpty() ? QString() : plain(title)));
        st.bind(13, nullIfEmpty(text.isEmpty() ? QString() : plain(text)));
        st.bind(14, nullIfEmpty(after.isEmpty() ? QString() : plain(after)));
        st.step();
    }

    void writeAnnotations(const Node& n) {
        const QJsonObject& o = n.obj;
        const QJsonArray kinds = o.value("synonymKinds").toArray();
        for (int i = 0; i < kinds.size(); ++i) {
            const QJsonObject k = kinds[i].toObject();
            checkKeys(k, {"number", "name", "inherit", "referList"},
                      QStringLiteral("%1.synonymKinds[%2]").arg(n.where).arg(i));
            Statement st(db_.handle(), "insert into SYN_NAME values (?,?,?,?,?)");
            st.bind(1, n.id);
            st.bind(2, k.value("number").toInt());
            st.bind(3, k.value("name").toString());
            st.bind(4, k.value("inherit").toInt(0));
            st.bind(5,
                    k.contains("referList") ? QVariant(k.value("referList").toInt()) : QVariant());
            st.step();
        }
        const QJsonArray syns = o.value("synonyms").toArray();
        for (int i = 0; i < syns.size(); ++i) {
            const QJsonObject s = syns[i].toObject();
            checkKeys(s, {"kind", "text"}, QStringLiteral("%1.synonyms[%2]").arg(n.where).arg(i));
            const int kind = s.value("kind").toInt();
            const QString text = s.value("text").toString();
            Statement st(db_.handle(),
                         "insert into SYNONYM (ENTRY_ID, SYN_NUMBER, TEXT, Plain_Text, PARENT_ID) "
                         "values (?,?,?,?,0)");
            st.bind(1, n.id);
            st.bind(2, kind);
            // A customs code list is kept as plain text with its stored code form.
            if (kind == st::db::synUKT) {
                st.bind(3, text);
                st.bind(4, st::search::NormalizeUKTCodes(text));
            } else {
                st.bind(3, st::text::PlainToRtf(text));
                st.bind(4, plain(text));
            }
            st.step();
        }
        writeTerms(n);
        const QJsonArray pics = o.value("pictures").toArray();
        for (int i = 0; i < pics.size(); ++i) {
            const QJsonObject p = pics[i].toObject();
            const QString at = QStringLiteral("%1.pictures[%2]").arg(n.where).arg(i);
            checkKeys(p, {"file", "title", "caption", "origin"}, at);
            const QString file = p.value("file").toString();
            Statement st(db_.handle(),
                         "insert into List_pictures (Entry_ID, PictureTitle, PictureCaption, "
                         "PictureExt, Picture, PictureOrigin_ID) values (?,?,?,?,?,?)");
            st.bind(1, n.id);
            st.bind(2, p.value("title").toString());
            st.bind(3, p.value("caption").toString());
            st.bind(4, u'.' + QFileInfo(file).suffix().toUpper());
            st.bind(5, readFile(file, at));
            st.bind(6, p.contains("origin") ? QVariant(p.value("origin").toInt()) : QVariant());
            st.step();
            withPictures_.insert(n.id);
        }
        const QJsonArray comments = o.value("comments").toArray();
        for (int i = 0; i < comments.size(); ++i) {
            const QJsonObject c = comments[i].toObject();
            checkKeys(c, {"expert", "text", "date", "showInKids"},
                      QStringLiteral("%1.comments[%2]").arg(n.where).arg(i));
            const QString text = c.value("text").toString();
            const QString p = plain(text);
            Statement st(db_.handle(),
                         "insert into Comments (entry_id, expert_id, rich_text, plain_text, "
                         "plain_head, mk_date, show_in_kids) values (?,?,?,?,?,?,?)");
            st.bind(1, n.id);
            st.bind(2, c.value("expert").toInt());
            st.bind(3, st::text::PlainToRtf(text));
            st.bind(4, p);
            st.bind(5, p.left(140));
            st.bind(6, c.value("date").toString());
            st.bind(7, c.value("showInKids").toBool() ? 1 : 0);
            st.step();
        }
    }

    // A term link records where the word stands: zone letter, 1-based start
    // and length, in the text as the rich view shows it.
    void writeTerms(const Node& n) {
        const QJsonArray terms = n.obj.value("terms").toArray();
        const std::pair<QString, QString> zones[] = {{"i", n.obj.value("title").toString()},
                                                     {"T", n.obj.value("text").toString()},
                                                     {"A", n.obj.value("after").toString()}};
        for (int i = 0; i < terms.size(); ++i) {
            const QJsonObject t = terms[i].toObject();
            const QString at = QStringLiteral("%1.terms[%2]").arg(n.where).arg(i);
            checkKeys(t, {"term", "word"}, at);
            const QString word = t.value("word").toString();
            if (word.isEmpty()) throw BuildError(QStringLiteral("%1: empty word").arg(at));
            QStringList marks;
            for (const auto& [letter, zone] : zones) {
                const qsizetype p = zone.indexOf(word, 0, Qt::CaseInsensitive);
                if (p >= 0)
                    marks << QStringLiteral("%1,%2,%3").arg(letter).arg(p + 1).arg(word.size());
            }
            if (marks.isEmpty())
                throw BuildError(
                    QStringLiteral("%1: \"%2\" occurs in no text of the entry").arg(at, word));
            Statement st(db_.handle(), "insert into Term_In_List values (?,?,?)");
            st.bind(1, n.id);
            st.bind(2, idOfKey(t.value("term").toString(), at));
            st.bind(3, marks.join(u';'));
            st.step();
        }
    }

    void writePictureKeys() {
        QHash<int, int> parentOf;
        for (const Node& n : nodes_) parentOf.insert(n.id, n.parent);
        QHash<int, int> key;
        for (int id : withPictures_) {
            key[id] = 1;
            for (int p = parentOf.value(id); p > 0; p = parentOf.value(p))
                if (!key.contains(p)) key[p] = 2;
        }
        Statement st(db_.handle(), "update List_Entries set Picture_key=? where Entry_ID=?");
        for (auto it = key.cbegin(); it != key.cend(); ++it) {
            st.bind(1, it.value());
            st.bind(2, it.key());
            st.step();
            st.reset();
        }
    }

    Database& db_;
    QDir base_;
    QList<Node> nodes_;
    QSet<int> usedIds_;
    QHash<QString, int> keys_;
    QSet<int> withPictures_;
};

}  // namespace

void BuildDatabase(const QJsonDocument& source, const QString& dbPath, const QDir& baseDir) {
    if (!source.isObject()) throw BuildError(QStringLiteral("the source is not a JSON object"));
    const QFileInfo target(dbPath);
    // Build beside the target, then move it in whole.
    const QString tmp = target.absoluteFilePath() + QStringLiteral(".building");
    QFile::remove(tmp);
    try {
        {
            auto db = Database::create(tmp);
            Builder(*db, baseDir).run(source.object());
            db->exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
            db->exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
        }
        QFile::remove(dbPath);
        if (!QFile::rename(tmp, dbPath))
            throw BuildError(QStringLiteral("cannot write %1").arg(dbPath));
    } catch (const st::db::DbError& e) {
        QFile::remove(tmp);
        throw BuildError(e.text());
    } catch (...) {
        QFile::remove(tmp);
        throw;
    }
}

void BuildDatabaseFromText(const QByteArray& json, const QString& dbPath, const QDir& baseDir) {
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &err);
    if (err.error != QJsonParseError::NoError)
        throw BuildError(
            QStringLiteral("JSON error at offset %1: %2").arg(err.offset).arg(err.errorString()));
    BuildDatabase(doc, dbPath, baseDir);
}

void BuildDatabaseFromFile(const QString& sourcePath, const QString& dbPath) {
    QFile f(sourcePath);
    if (!f.open(QIODevice::ReadOnly))
        throw BuildError(QStringLiteral("cannot read %1").arg(sourcePath));
    BuildDatabaseFromText(f.readAll(), dbPath, QFileInfo(sourcePath).absoluteDir());
}

}  // namespace st::tools
