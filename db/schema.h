#pragma once
#include <QString>

namespace st::db {

class Database;

// Creates every table and index of a control-list database in an empty file.
void CreateSchema(Database& db);

// Table names of the schema.
namespace tables {
inline const QString Entries = QStringLiteral("List_Entries");
inline const QString RichText = QStringLiteral("LIST_RICH_TEXT");
inline const QString RichAfter = QStringLiteral("LIST_RICH_AFTER");
inline const QString TermInList = QStringLiteral("Term_In_List");
inline const QString Synonym = QStringLiteral("SYNONYM");
inline const QString SynName = QStringLiteral("SYN_NAME");
inline const QString Comments = QStringLiteral("Comments");
inline const QString Pictures = QStringLiteral("List_pictures");
inline const QString PictureOrigins = QStringLiteral("PictureOrigins");
inline const QString Expert = QStringLiteral("expert");
}  // namespace tables

// Synonym kinds with a fixed meaning.
enum SynKind { synReasons = 0, synUKT = 2, synTN = 3 };

// Optional parts of the schema that older files may lack.
struct OptionalSchema {
    bool pictureOrigins = false;   // table PictureOrigins
    bool referRevision = false;    // SYN_NAME.Refer_Revision_ID
    bool canEditPictures = false;  // expert.can_Edit_Pictures
    bool pictureOriginId = false;  // List_pictures.PictureOrigin_ID
    bool richTextTable = false;    // LIST_RICH_TEXT
    bool richAfterTable = false;   // LIST_RICH_AFTER
};
OptionalSchema DetectOptionalSchema(const Database& db);

}  // namespace st::db
