#pragma once

#include <QString>

#include <optional>

namespace cloud {

class PostgresConnection;

// The container's tables on a PostgreSQL server, in the schema `tallybird`, and the rules the
// server itself keeps with row-level security, so that a person's role reaches what is theirs
// and what is shared with them, whatever client it uses:
// - a zone's rows are read by its owner and its accepted participants, and written by its owner
//   and its read-write participants; participants may only bump the zone's bare share record;
// - participants are added and their permission changed or removed by the zone's owner; a
//   participant may only accept (and leave);
// - the container's sequence only moves forward, through `tallybird.next_sequence()`, and
//   every change is stamped with the value it just took;
// - people see their own user row and those of the people they share with;
// - device rows belong to the role that signed the device in;
// - faults are the administrator's: a person's device only meets those aimed at it.
// The administrator is the role that made the schema (it owns the tables, so the policies do
// not hold it back).
namespace PostgresSchema {

constexpr int version = 1;

// Makes the schema and its policies in an empty database, as one transaction. Refuses a
// database that holds anything else, and one that is a container already.
void create(PostgresConnection& connection);

// Gives a role what a person needs: the schema and the right to use its tables, within the
// policies. A role of that name is made (able to log in, without a password) when there is
// none. Says why not when the name cannot be a role.
std::optional<QString> preparePerson(PostgresConnection& connection, const QString& name);

} // namespace PostgresSchema

} // namespace cloud
