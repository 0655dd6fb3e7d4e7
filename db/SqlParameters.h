#pragma once

#include <QString>
#include <QStringList>

namespace db {

// A statement with its ":NAME" parameters replaced by the server's "?"
// markers, and the names in marker order (upper case; a name used twice
// appears twice).
struct ParsedStatement
{
    QString text;
    QStringList names;
};

// Finds the parameters of a statement. Quoted strings, quoted identifiers
// and comments are left alone. In EXECUTE BLOCK only the input list before
// AS holds parameters: the body's ":NAME" are its own variables. The bodies
// of procedure, trigger, function and package definitions hold none.
ParsedStatement parseParameters(const QString& sql);

} // namespace db
