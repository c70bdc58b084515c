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
// - change numbers come from `tallybird.take_blocks()` only, and every change is stamped with
//   a number its own transaction took after it locked the zone the change goes into (a zone
//   made, or a notice to oneself, under the person's own row), so that readers' marks account
//   for every change the server takes;
// - people see their own user row and those of the people they share with;
// - device rows belong to the role that signed the device in; a device the administrator
//   switched off or signed out before any person's role connected with it starts so in the
//   row a person's role makes for it;
// - faults are the administrator's: a person's device only meets those aimed at it;
// - the ids of a device's sends are the role's that sent them: nobody else reads or writes them.
// The administrator is the role that made the schema (it owns the tables, so the policies do
// not hold it back).
//
// Nothing a person's role can take or hold stops anybody who shares nothing with them: a role
// may lock no table beyond what a plain insert takes, and locks only the rows of its own zones
// and of the zones whose share it accepted to read and write (and its own devices). Writers of
// one zone take turns on the zone's row; a reader waits for no writer, its mark stays below what
// they may still commit (see PostgresStorage), and comes with the server's run, which a crash of
// the server ends, and a restore from a backup. A person tells another of a zone's removal only
// when the teller owns the zone and the other accepted its share.
namespace PostgresSchema {

constexpr int version = 8;
// The first version whose writers lock the rows of the zones they change rather than one
// table; a person's program uses a container of an earlier one the way that one was used.
constexpr int zoneLocksVersion = 2;
// The first version that names the server's run, which tokens carry: a crash ends it.
constexpr int runsVersion = 6;
// The first version that keeps the ids of devices' sends, so that a device that lost a batch's
// answer can ask what became of it.
constexpr int sendsVersion = 7;
// Change numbers are handed out in blocks of this many.
constexpr long long blockSize = 1024;
// How many connections a person's role may have open at once, so that one person cannot take
// all of the server's. A device holds one at a time: the window keeps one, and a request
// without the window takes one while it runs. Ten lets a person's four devices (each with the
// window and a request) and the admin tool work at once, with room for a connection the
// server is still closing as a device makes its next.
constexpr int personConnections = 10;

// Makes the schema and its policies in an empty database, as one transaction. Refuses a
// database that holds anything else, and one that is a container already. A container of an
// earlier `version` is made only to test the way up from it.
void create(PostgresConnection& connection, int version = PostgresSchema::version);

// Brings a container of an earlier version up to this one, as one transaction, with the rights
// of the people it has; done once, however many administrators' programs try at a time.
void upgrade(PostgresConnection& connection);

// Gives a role what a person needs: the schema and the right to use its tables, within the
// policies. A role of that name is made (able to log in, without a password, with at most
// `personConnections` connections) when there is none; one that is there is taken only as a
// person's: no superuser, no role that may make roles or databases, replicate or pass the
// policies, and not the administrator's. Says why not when the name cannot be a person's role.
std::optional<QString> preparePerson(PostgresConnection& connection, const QString& name);

} // namespace PostgresSchema

} // namespace cloud
