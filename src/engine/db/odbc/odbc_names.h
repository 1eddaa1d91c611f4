#pragma once
// How the tables a driver reports become the names of the table list.

#include <string>

namespace kolumbra::db {

// Whether `schema` (or, on servers whose databases are catalogues, the
// catalogue) holds the server's own tables for the DBMS `dbms` (as
// SQL_DBMS_NAME reports it).
bool IsSystemSchema(const std::string& dbms, const std::string& schema);

// The query that names the connection's default schema on `dbms`; empty
// where a database has one schema only.
std::string DefaultSchemaQuery(const std::string& dbms);

// The query giving the comments on tables and columns where the driver
// leaves REMARKS empty: rows of schema, table, column (empty for the
// table's own comment) and comment. Empty for other servers.
std::string CommentsQuery(const std::string& dbms);

// The query giving every index of one schema (on servers whose databases
// are catalogues, of one catalogue), named by its one parameter: rows of
// table, index, non-unique (0 or 1), primary key (0 or 1) and column, in
// the order of the driver's SQLStatistics for each table. Empty where no
// such query is known.
std::string SchemaIndexesQuery(const std::string& dbms);

// A table of the default schema (or of a source without schemas) goes by
// its bare name, any other as "schema.table".
std::string ListedName(const std::string& schema, const std::string& defaultSchema, const std::string& table);

// `text` as a catalogue search pattern matching itself only: "_", "%" and
// the escape itself preceded by `escape`. Unchanged without an escape.
std::string ExactPattern(const std::string& text, const std::string& escape);

}  // namespace kolumbra::db
