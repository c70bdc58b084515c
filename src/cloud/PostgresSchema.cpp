// The container's schema on a PostgreSQL server, its policies and a person's rights.
#include "PostgresSchema.h"

#include "ContainerStorage.h"
#include "PostgresConnection.h"

#include <QRegularExpression>
#include <QUuid>

namespace cloud {

namespace {

// Functions that run with the administrator's rights name every object by its schema and fix
// their search path, so a caller's own objects cannot stand in for ours. Policies compare with
// session_user: the role that logged in, which only a superuser can change.
const char* const statements[] = {
    "CREATE SCHEMA tallybird",
    "CREATE TABLE tallybird.meta (key text PRIMARY KEY, value text NOT NULL)",
    // The container's sequence: its latest value, and the values the transaction that last
    // moved it took (above `floor`, up to `value`), which are the only ones its changes may
    // carry.
    "CREATE TABLE tallybird.sequence (one boolean PRIMARY KEY DEFAULT true CHECK (one), "
    "value bigint NOT NULL, floor bigint NOT NULL, taker xid8)",
    "INSERT INTO tallybird.sequence (value, floor) VALUES (0, 0)",
    // Never holds a row: a transaction that writes locks it first, before it reads anything,
    // so writers take turns and each one sees everything the one before it wrote.
    "CREATE TABLE tallybird.writer (one boolean PRIMARY KEY CHECK (one))",
    "CREATE TABLE tallybird.users (name text PRIMARY KEY, names text)",
    "CREATE TABLE tallybird.devices (holder text NOT NULL, id text NOT NULL, user_name text, "
    "offline boolean NOT NULL, PRIMARY KEY (holder, id))",
    "CREATE INDEX devices_by_id ON tallybird.devices (id)",
    "CREATE TABLE tallybird.zones (owner text NOT NULL, name text NOT NULL, "
    "incarnation text NOT NULL, changed_seq bigint NOT NULL, PRIMARY KEY (owner, name))",
    "CREATE TABLE tallybird.records (owner text NOT NULL, zone text NOT NULL, name text NOT NULL, "
    "type text NOT NULL, tag text NOT NULL, data bytea NOT NULL, seq bigint NOT NULL, "
    "PRIMARY KEY (owner, zone, name))",
    "CREATE INDEX records_by_seq ON tallybird.records (owner, zone, seq)",
    "CREATE TABLE tallybird.deletions (owner text NOT NULL, zone text NOT NULL, "
    "name text NOT NULL, type text NOT NULL, seq bigint NOT NULL, PRIMARY KEY (owner, zone, name))",
    "CREATE INDEX deletions_by_seq ON tallybird.deletions (owner, zone, seq)",
    "CREATE TABLE tallybird.participants (owner text NOT NULL, zone text NOT NULL, "
    "user_name text NOT NULL REFERENCES tallybird.users (name), role text NOT NULL, "
    "permission text NOT NULL, acceptance text NOT NULL, seq bigint NOT NULL, "
    "PRIMARY KEY (owner, zone, user_name))",
    "CREATE INDEX participants_by_user ON tallybird.participants (user_name)",
    "CREATE TABLE tallybird.zone_removals (id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, "
    "seq bigint NOT NULL, user_name text NOT NULL, scope text NOT NULL, "
    "zone_owner text NOT NULL, zone_name text NOT NULL, reason text NOT NULL)",
    "CREATE INDEX zone_removals_by_user ON tallybird.zone_removals (user_name, scope, seq)",
    "CREATE TABLE tallybird.faults (id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, "
    "device text NOT NULL, pattern text NOT NULL, code integer NOT NULL, "
    "remaining integer NOT NULL)",

    // --- who may do what ---
    "CREATE FUNCTION tallybird.is_admin() RETURNS boolean LANGUAGE sql STABLE "
    "SET search_path = pg_catalog, pg_temp AS $$ "
    "SELECT pg_has_role(session_user, n.nspowner, 'USAGE') FROM pg_namespace n "
    "WHERE n.nspname = 'tallybird' $$",
    "CREATE FUNCTION tallybird.may_read(zone_owner text, zone_name text) RETURNS boolean "
    "LANGUAGE sql STABLE SECURITY DEFINER AS $$ "
    "SELECT zone_owner = session_user OR EXISTS (SELECT 1 FROM tallybird.participants p "
    "WHERE p.owner = zone_owner AND p.zone = zone_name AND p.user_name = session_user "
    "AND p.acceptance = 'accepted' AND p.permission IN ('readOnly', 'readWrite')) $$",
    "CREATE FUNCTION tallybird.may_write(zone_owner text, zone_name text) RETURNS boolean "
    "LANGUAGE sql STABLE SECURITY DEFINER AS $$ "
    "SELECT zone_owner = session_user OR EXISTS (SELECT 1 FROM tallybird.participants p "
    "WHERE p.owner = zone_owner AND p.zone = zone_name AND p.user_name = session_user "
    "AND p.acceptance = 'accepted' AND p.permission = 'readWrite') $$",
    // Invited, accepted or not: may see and bump the zone's share record, to accept or leave.
    "CREATE FUNCTION tallybird.takes_part(zone_owner text, zone_name text) RETURNS boolean "
    "LANGUAGE sql STABLE SECURITY DEFINER AS $$ "
    "SELECT zone_owner = session_user OR EXISTS (SELECT 1 FROM tallybird.participants p "
    "WHERE p.owner = zone_owner AND p.zone = zone_name AND p.user_name = session_user) $$",
    "CREATE FUNCTION tallybird.shares_with(person text) RETURNS boolean "
    "LANGUAGE sql STABLE SECURITY DEFINER AS $$ "
    "SELECT EXISTS (SELECT 1 FROM tallybird.participants mine JOIN tallybird.participants theirs "
    "ON theirs.owner = mine.owner AND theirs.zone = mine.zone "
    "WHERE mine.user_name = session_user "
    "AND (mine.owner = session_user OR mine.acceptance = 'accepted') "
    "AND (theirs.user_name = person OR theirs.owner = person)) $$",
    "CREATE FUNCTION tallybird.person_exists(person text) RETURNS boolean "
    "LANGUAGE sql STABLE SECURITY DEFINER AS $$ "
    "SELECT EXISTS (SELECT 1 FROM tallybird.users u WHERE u.name = person) $$",
    // Whether a change may carry this value: one the calling transaction took.
    "CREATE FUNCTION tallybird.fresh(stamp bigint) RETURNS boolean LANGUAGE sql STABLE AS $$ "
    "SELECT s.taker = pg_catalog.pg_current_xact_id() AND stamp > s.floor AND stamp <= s.value "
    "FROM tallybird.sequence s $$",
    // The only way the sequence moves: forward, by `count` values for the calling transaction.
    // A caller that did not lock the writer table first gets the lock here, so values are
    // still taken and committed in order.
    "CREATE FUNCTION tallybird.take_sequence(count integer) RETURNS bigint LANGUAGE plpgsql "
    "VOLATILE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ "
    "DECLARE top bigint; BEGIN "
    "IF count < 1 OR count > 100000 THEN "
    "RAISE EXCEPTION 'A step takes 1 to 100000 values.' USING ERRCODE = '22023'; END IF; "
    "LOCK TABLE tallybird.writer IN EXCLUSIVE MODE; "
    "UPDATE tallybird.sequence SET floor = CASE WHEN taker = pg_current_xact_id() THEN floor "
    "ELSE value END, taker = pg_current_xact_id(), value = value + count "
    "RETURNING value INTO top; "
    "RETURN top; END $$",
    // A zone's latest change only moves forward.
    "CREATE FUNCTION tallybird.check_zone_change() RETURNS trigger LANGUAGE plpgsql "
    "SET search_path = pg_catalog, pg_temp AS $$ BEGIN "
    "IF NEW.changed_seq < OLD.changed_seq OR NEW.incarnation <> OLD.incarnation THEN "
    "RAISE EXCEPTION 'A zone''s changes only move forward.' USING ERRCODE = '42501'; END IF; "
    "RETURN NEW; END $$",
    "CREATE TRIGGER zone_change BEFORE UPDATE ON tallybird.zones "
    "FOR EACH ROW EXECUTE FUNCTION tallybird.check_zone_change()",
    // A participant may write the share record only as the container itself writes it.
    "CREATE FUNCTION tallybird.is_bare_share(zone_owner text, zone_name text, record_name text, "
    "record_type text, record_tag text, record_data bytea, record_seq bigint) RETURNS boolean "
    "LANGUAGE sql IMMUTABLE SET search_path = pg_catalog, pg_temp AS $$ "
    "SELECT record_name = '~zone-share' AND record_type = '~share' "
    "AND record_tag = 't' || record_seq::text "
    "AND convert_from(record_data, 'UTF8')::jsonb = jsonb_build_object('type', '~share', "
    "'name', '~zone-share', 'zone', zone_name, 'owner', zone_owner, 'changeTag', record_tag, "
    "'fields', '{}'::jsonb, 'share', jsonb_build_object('participants', '[]'::jsonb)) $$",
    "CREATE FUNCTION tallybird.device_faults() RETURNS TABLE (id bigint, device text, "
    "pattern text, code integer, remaining integer) LANGUAGE sql STABLE SECURITY DEFINER "
    "SET search_path = pg_catalog, pg_temp AS $$ "
    "SELECT f.id, f.device, f.pattern, f.code, f.remaining FROM tallybird.faults f "
    "WHERE tallybird.is_admin() OR f.device = '' OR f.device IN "
    "(SELECT d.id FROM tallybird.devices d WHERE d.holder = session_user) ORDER BY f.id $$",
    "CREATE FUNCTION tallybird.consume_fault(fault bigint) RETURNS void LANGUAGE plpgsql "
    "SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ BEGIN "
    "UPDATE tallybird.faults f SET remaining = f.remaining - 1 WHERE f.id = fault "
    "AND f.remaining > 0 AND (tallybird.is_admin() OR f.device = '' OR f.device IN "
    "(SELECT d.id FROM tallybird.devices d WHERE d.holder = session_user)); "
    "DELETE FROM tallybird.faults f WHERE f.id = fault AND f.remaining = 0; END $$",
    // What the policies cannot see: the old row. The owner changes a participant's
    // permission, the participant only accepts.
    "CREATE FUNCTION tallybird.check_participant_change() RETURNS trigger LANGUAGE plpgsql "
    "SET search_path = pg_catalog, pg_temp AS $$ BEGIN "
    "IF tallybird.is_admin() THEN RETURN NEW; END IF; "
    "IF NEW.owner <> OLD.owner OR NEW.zone <> OLD.zone OR NEW.user_name <> OLD.user_name "
    "OR NEW.role <> OLD.role THEN "
    "RAISE EXCEPTION 'A participant stays who they are.' USING ERRCODE = '42501'; END IF; "
    "IF OLD.user_name = session_user AND OLD.owner <> session_user THEN "
    "IF NEW.permission <> OLD.permission OR NEW.acceptance NOT IN (OLD.acceptance, 'accepted') "
    "THEN RAISE EXCEPTION 'A participant may only accept a share.' USING ERRCODE = '42501'; "
    "END IF; "
    "ELSIF OLD.user_name <> OLD.owner AND NEW.acceptance <> OLD.acceptance THEN "
    "RAISE EXCEPTION 'Only the participant accepts a share.' USING ERRCODE = '42501'; END IF; "
    "RETURN NEW; END $$",
    "CREATE TRIGGER participant_change BEFORE UPDATE ON tallybird.participants "
    "FOR EACH ROW EXECUTE FUNCTION tallybird.check_participant_change()",

    "ALTER TABLE tallybird.writer ENABLE ROW LEVEL SECURITY",
    "ALTER TABLE tallybird.users ENABLE ROW LEVEL SECURITY",
    "ALTER TABLE tallybird.devices ENABLE ROW LEVEL SECURITY",
    "ALTER TABLE tallybird.zones ENABLE ROW LEVEL SECURITY",
    "ALTER TABLE tallybird.records ENABLE ROW LEVEL SECURITY",
    "ALTER TABLE tallybird.deletions ENABLE ROW LEVEL SECURITY",
    "ALTER TABLE tallybird.participants ENABLE ROW LEVEL SECURITY",
    "ALTER TABLE tallybird.zone_removals ENABLE ROW LEVEL SECURITY",

    "CREATE POLICY own_and_partners ON tallybird.users FOR SELECT "
    "USING (name = session_user OR tallybird.shares_with(name))",
    "CREATE POLICY own_devices ON tallybird.devices USING (holder = session_user) "
    "WITH CHECK (holder = session_user AND (user_name IS NULL OR user_name = session_user))",

    "CREATE POLICY seen ON tallybird.zones FOR SELECT "
    "USING (tallybird.may_read(owner, name) OR tallybird.takes_part(owner, name))",
    "CREATE POLICY made ON tallybird.zones FOR INSERT "
    "WITH CHECK (owner = session_user AND tallybird.fresh(changed_seq))",
    "CREATE POLICY touched ON tallybird.zones FOR UPDATE USING (tallybird.takes_part(owner, name)) "
    "WITH CHECK (tallybird.takes_part(owner, name) "
    "AND tallybird.fresh(changed_seq))",
    "CREATE POLICY removed ON tallybird.zones FOR DELETE USING (owner = session_user)",

    "CREATE POLICY seen ON tallybird.records FOR SELECT USING (tallybird.may_read(owner, zone) "
    "OR (name = '~zone-share' AND tallybird.takes_part(owner, zone)))",
    "CREATE POLICY made ON tallybird.records FOR INSERT "
    "WITH CHECK (tallybird.fresh(seq) AND (tallybird.may_write(owner, zone) "
    "OR (tallybird.takes_part(owner, zone) "
    "AND tallybird.is_bare_share(owner, zone, name, type, tag, data, seq))))",
    "CREATE POLICY changed ON tallybird.records FOR UPDATE USING (tallybird.may_write(owner, zone) "
    "OR (name = '~zone-share' AND tallybird.takes_part(owner, zone))) "
    "WITH CHECK (tallybird.fresh(seq) AND (tallybird.may_write(owner, zone) "
    "OR (tallybird.takes_part(owner, zone) "
    "AND tallybird.is_bare_share(owner, zone, name, type, tag, data, seq))))",
    "CREATE POLICY removed ON tallybird.records FOR DELETE "
    "USING (tallybird.may_write(owner, zone))",

    "CREATE POLICY seen ON tallybird.deletions FOR SELECT USING (tallybird.may_read(owner, zone))",
    "CREATE POLICY made ON tallybird.deletions FOR INSERT "
    "WITH CHECK (tallybird.may_write(owner, zone) AND tallybird.fresh(seq))",
    "CREATE POLICY changed ON tallybird.deletions FOR UPDATE "
    "USING (tallybird.may_write(owner, zone)) "
    "WITH CHECK (tallybird.may_write(owner, zone) AND tallybird.fresh(seq))",
    "CREATE POLICY removed ON tallybird.deletions FOR DELETE "
    "USING (tallybird.may_write(owner, zone))",

    "CREATE POLICY seen ON tallybird.participants FOR SELECT USING (user_name = session_user "
    "OR owner = session_user OR tallybird.may_read(owner, zone))",
    "CREATE POLICY invited ON tallybird.participants FOR INSERT "
    "WITH CHECK (owner = session_user AND tallybird.fresh(seq) "
    "AND (user_name = owner OR acceptance = 'pending'))",
    "CREATE POLICY changed ON tallybird.participants FOR UPDATE "
    "USING (owner = session_user OR user_name = session_user) "
    "WITH CHECK ((owner = session_user OR user_name = session_user) "
    "AND tallybird.fresh(seq))",
    "CREATE POLICY removed ON tallybird.participants FOR DELETE "
    "USING (owner = session_user OR user_name = session_user)",

    "CREATE POLICY own ON tallybird.zone_removals FOR SELECT USING (user_name = session_user)",
    "CREATE POLICY told ON tallybird.zone_removals FOR INSERT "
    "WITH CHECK ((zone_owner = session_user OR user_name = session_user) "
    "AND tallybird.fresh(seq))",
};

// Objects of other programs: any schema but the server's and an empty public one.
const char* const contentsQuery =
    "SELECT (SELECT count(*) FROM pg_catalog.pg_namespace n WHERE n.nspname NOT IN "
    "('pg_catalog', 'information_schema', 'public', 'pg_toast', 'tallybird') "
    "AND n.nspname NOT LIKE 'pg\\_temp\\_%' AND n.nspname NOT LIKE 'pg\\_toast\\_temp\\_%') "
    "+ (SELECT count(*) FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n "
    "ON n.oid = c.relnamespace WHERE n.nspname = 'public') "
    "+ (SELECT count(*) FROM pg_catalog.pg_proc p JOIN pg_catalog.pg_namespace n "
    "ON n.oid = p.pronamespace WHERE n.nspname = 'public') "
    "+ (SELECT count(*) FROM pg_catalog.pg_type t JOIN pg_catalog.pg_namespace n "
    "ON n.oid = t.typnamespace WHERE n.nspname = 'public') "
    "+ (SELECT count(*) FROM pg_catalog.pg_extension e WHERE e.extname <> 'plpgsql'), "
    "(SELECT count(*) FROM pg_catalog.pg_namespace n WHERE n.nspname = 'tallybird')";

} // namespace

void PostgresSchema::create(PostgresConnection& connection) {
    connection.send("BEGIN");
    PgRows contents = connection.query(contentsQuery);
    const qint64 others = contents.integer(0, 0);
    const bool ours = contents.integer(0, 1) > 0;
    if (others > 0 || ours) {
        connection.send("ROLLBACK");
        connection.sync();
        throw StorageError(
            (ours ? QStringLiteral("The database is a Tallybird container already; nothing was "
                                   "changed.")
                  : QStringLiteral("The database holds other things than a Tallybird container; "
                                   "it was left as it is. Give the container a database of its "
                                   "own."))
                .toStdString());
    }
    for (const char* statement : statements)
        connection.sendOnce(statement);
    connection.send("INSERT INTO tallybird.meta (key, value) VALUES ('container', $1), "
                    "('version', $2)",
                    {PgValue::text(QUuid::createUuid().toString(QUuid::WithoutBraces)),
                     PgValue::text(QString::number(version))});
    connection.send("COMMIT");
    connection.sync();
}

std::optional<QString> PostgresSchema::preparePerson(PostgresConnection& connection,
                                                     const QString& name) {
    if (name.toUtf8().size() > 63)
        return QStringLiteral("A user on a PostgreSQL server has a name of at most 63 bytes.");
    if (name.startsWith(QLatin1String("pg_")))
        return QStringLiteral("Names starting with pg_ belong to the server.");
    PgRows role = connection.query("SELECT rolsuper FROM pg_catalog.pg_roles WHERE rolname = $1",
                                   {PgValue::text(name)});
    const QString quoted = connection.quoteIdentifier(name);
    if (role.size() == 0)
        connection.sendOnce(("CREATE ROLE " + quoted + " LOGIN").toUtf8());
    const QString grants[] = {
        "GRANT USAGE ON SCHEMA tallybird TO %1",
        "GRANT SELECT ON tallybird.meta, tallybird.sequence, tallybird.users TO %1",
        "GRANT UPDATE ON tallybird.writer TO %1",
        "GRANT SELECT, INSERT, UPDATE, DELETE ON tallybird.devices, tallybird.records, "
        "tallybird.deletions, tallybird.participants TO %1",
        "GRANT SELECT, INSERT, DELETE ON tallybird.zones TO %1",
        "GRANT UPDATE (changed_seq) ON tallybird.zones TO %1",
        "GRANT SELECT, INSERT ON tallybird.zone_removals TO %1",
    };
    for (const QString& grant : grants)
        connection.sendOnce(grant.arg(quoted).toUtf8());
    return std::nullopt;
}

} // namespace cloud
