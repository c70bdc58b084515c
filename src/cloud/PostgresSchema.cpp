// The container's schema on a PostgreSQL server, its policies and a person's rights.
#include "PostgresSchema.h"

#include "ContainerStorage.h"
#include "PostgresConnection.h"

#include <QRegularExpression>
#include <QUuid>

#include <vector>

namespace cloud {

namespace {

static_assert(PostgresSchema::blockSize == 1024, "the statements below write it out");
static_assert(PostgresSchema::personConnections == 10, "the statements below write it out");

// The schema as its first version made it; later versions change it from there, so that a new
// container and an upgraded one are the same. Functions that run with the administrator's
// rights name every object by its schema and fix their search path, so a caller's own objects
// cannot stand in for ours. Policies compare with session_user: the role that logged in, which
// only a superuser can change.
const char* const firstVersion[] = {
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

// Version 2: writers of different zones no longer take turns. Version 1 made every writer lock
// one table (which any person's role could lock and keep locked) and move one sequence row
// (which any person's role could keep locked by taking a value and staying in its
// transaction). Now:
// - change numbers come a block at a time from a sequence, which never waits for anybody, and
//   a change may carry only a number of a block its own transaction took;
// - a writer locks the row of each zone it changes, and the row of the person whose databases
//   gain a zone (a zone made, a share accepted), before it takes numbers, through functions
//   that lock only what the caller takes part in: so a zone's writers take turns and number
//   its changes in the order they commit;
// - a reader first waits for the writers that hold its own rows and those of its zones
//   (`settle`), so that no change it could fetch is still to come with a number below the
//   one it is given;
// - people may update only named columns, which lets them lock no table beyond a plain insert,
//   and remove rows only through functions that keep the old rules.
const char* const secondVersion[] = {
    // A session keeps no numbers back (CACHE 1): a block taken after a reader read the last
    // one handed out lies above it.
    "CREATE SEQUENCE tallybird.change_blocks AS bigint INCREMENT BY 1024 MINVALUE 1 CACHE 1",
    "SELECT pg_catalog.setval('tallybird.change_blocks', "
    "(SELECT s.value + 1 FROM tallybird.sequence s), false)",
    // The blocks the transactions at work took. A row lives only as long as its transaction:
    // it is removed as the transaction commits.
    "CREATE UNLOGGED TABLE tallybird.taken (taker xid8 NOT NULL, first bigint NOT NULL)",
    "CREATE INDEX taken_by_taker ON tallybird.taken (taker)",
    "CREATE FUNCTION tallybird.forget_taken() RETURNS trigger LANGUAGE plpgsql "
    "SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ BEGIN "
    "DELETE FROM tallybird.taken t WHERE t.taker = NEW.taker; RETURN NULL; END $$",
    "CREATE CONSTRAINT TRIGGER taken_until_commit AFTER INSERT ON tallybird.taken "
    "DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION tallybird.forget_taken()",
    "CREATE FUNCTION tallybird.take_blocks(count integer) RETURNS SETOF bigint "
    "LANGUAGE plpgsql VOLATILE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ "
    "DECLARE first bigint; BEGIN "
    "IF count < 1 OR count > 100 THEN "
    "RAISE EXCEPTION 'A step takes 1 to 100 blocks.' USING ERRCODE = '22023'; END IF; "
    "FOR i IN 1..count LOOP first := nextval('tallybird.change_blocks'); "
    "INSERT INTO tallybird.taken (taker, first) VALUES (pg_current_xact_id(), first); "
    "RETURN NEXT first; END LOOP; END $$",
    "CREATE OR REPLACE FUNCTION tallybird.fresh(stamp bigint) RETURNS boolean LANGUAGE sql "
    "STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ "
    "SELECT EXISTS (SELECT 1 FROM tallybird.taken t WHERE t.taker = pg_current_xact_id() "
    "AND stamp >= t.first AND stamp < t.first + 1024) $$",
    "DROP FUNCTION tallybird.take_sequence(integer)",
    "DROP TABLE tallybird.writer",
    "DROP TABLE tallybird.sequence",

    // One row per person, held by a writer that adds a zone to the person's databases.
    "CREATE TABLE tallybird.feeds (user_name text PRIMARY KEY)",
    "INSERT INTO tallybird.feeds (user_name) SELECT u.name FROM tallybird.users u",
    "CREATE FUNCTION tallybird.add_feed() RETURNS trigger LANGUAGE plpgsql "
    "SET search_path = pg_catalog, pg_temp AS $$ BEGIN "
    "INSERT INTO tallybird.feeds (user_name) VALUES (NEW.name) ON CONFLICT DO NOTHING; "
    "RETURN NULL; END $$",
    "CREATE TRIGGER user_feed AFTER INSERT ON tallybird.users "
    "FOR EACH ROW EXECUTE FUNCTION tallybird.add_feed()",

    // Locks for writers: 0 held, 1 no such zone, 2 not the caller's to lock.
    "CREATE FUNCTION tallybird.lock_zone(zone_owner text, zone_name text) RETURNS integer "
    "LANGUAGE plpgsql VOLATILE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ "
    "BEGIN IF NOT (tallybird.is_admin() OR tallybird.takes_part(zone_owner, zone_name)) THEN "
    "RETURN 2; END IF; "
    "PERFORM 1 FROM tallybird.zones z WHERE z.owner = zone_owner AND z.name = zone_name "
    "FOR NO KEY UPDATE; "
    "IF FOUND THEN RETURN 0; END IF; RETURN 1; END $$",
    "CREATE FUNCTION tallybird.lock_feed(person text) RETURNS boolean LANGUAGE plpgsql "
    "VOLATILE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ "
    "BEGIN IF NOT (tallybird.is_admin() OR person = session_user) THEN RETURN false; END IF; "
    "PERFORM 1 FROM tallybird.feeds f WHERE f.user_name = person FOR NO KEY UPDATE; "
    "RETURN FOUND; END $$",
    // Whether a row's locker (its xmax) is a transaction still at work. Only the functions
    // above and below lock the rows it is asked about, one transaction at a time, so the
    // locker is one transaction and never a group of them.
    "CREATE FUNCTION tallybird.at_work(holder xid) RETURNS boolean LANGUAGE plpgsql VOLATILE "
    "SET search_path = pg_catalog, pg_temp AS $$ "
    "DECLARE now pg_snapshot := pg_current_snapshot(); "
    "next bigint := pg_snapshot_xmax(now)::text::bigint; id bigint := holder::text::bigint; "
    "BEGIN IF id < 3 THEN RETURN false; END IF; "
    // The row holds the low 32 bits; the transaction is the one nearest the next.
    "id := id + (next - next % 4294967296); "
    "IF id > next + 2147483647 THEN id := id - 4294967296; END IF; "
    "IF id < pg_snapshot_xmin(now)::text::bigint THEN RETURN false; END IF; "
    "RETURN coalesce(pg_xact_status(id::text::xid8) = 'in progress', false); END $$",
    // The highest change number taken so far, once no writer holds a row of the caller's
    // databases: the caller's own row, their zones and the zones they accepted. Run in a
    // transaction of its own, before the one that reads.
    "CREATE FUNCTION tallybird.settle() RETURNS bigint LANGUAGE plpgsql VOLATILE "
    "SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ DECLARE top bigint; BEGIN "
    "SELECT CASE WHEN s.is_called THEN s.last_value + 1023 ELSE s.last_value - 1 END INTO top "
    "FROM tallybird.change_blocks s; "
    "WHILE EXISTS (SELECT 1 FROM tallybird.feeds f WHERE f.user_name = session_user "
    "AND tallybird.at_work(f.xmax)) "
    "OR EXISTS (SELECT 1 FROM tallybird.zones z WHERE z.owner = session_user "
    "AND tallybird.at_work(z.xmax)) "
    "OR EXISTS (SELECT 1 FROM tallybird.participants p JOIN tallybird.zones z "
    "ON z.owner = p.owner AND z.name = p.zone WHERE p.user_name = session_user "
    "AND p.acceptance = 'accepted' AND tallybird.at_work(z.xmax)) LOOP "
    "PERFORM pg_sleep(0.002); END LOOP; "
    "RETURN top; END $$",

    // What people did with UPDATE and DELETE rights, under the same rules.
    "CREATE FUNCTION tallybird.touch_zone(zone_owner text, zone_name text, stamp bigint) "
    "RETURNS void LANGUAGE plpgsql VOLATILE SECURITY DEFINER "
    "SET search_path = pg_catalog, pg_temp AS $$ BEGIN "
    "IF NOT (tallybird.is_admin() OR tallybird.takes_part(zone_owner, zone_name)) THEN "
    "RETURN; END IF; "
    "IF NOT (tallybird.is_admin() OR tallybird.fresh(stamp)) THEN "
    "RAISE EXCEPTION 'A change carries a number its own step took.' USING ERRCODE = '42501'; "
    "END IF; "
    "UPDATE tallybird.zones z SET changed_seq = stamp "
    "WHERE z.owner = zone_owner AND z.name = zone_name; END $$",
    "CREATE FUNCTION tallybird.remove_zone(zone_owner text, zone_name text) RETURNS void "
    "LANGUAGE sql VOLATILE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ "
    "DELETE FROM tallybird.zones z WHERE z.owner = zone_owner AND z.name = zone_name "
    "AND (tallybird.is_admin() OR z.owner = session_user) $$",
    "CREATE FUNCTION tallybird.remove_records(doomed jsonb) RETURNS void LANGUAGE sql VOLATILE "
    "SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ "
    "DELETE FROM tallybird.records r USING jsonb_to_recordset(doomed) "
    "AS d(owner text, zone text, name text) "
    "WHERE r.owner = d.owner AND r.zone = d.zone AND r.name = d.name "
    "AND (tallybird.is_admin() OR tallybird.may_write(r.owner, r.zone)) $$",
    "CREATE FUNCTION tallybird.remove_zone_records(zone_owner text, zone_name text) "
    "RETURNS void LANGUAGE sql VOLATILE SECURITY DEFINER "
    "SET search_path = pg_catalog, pg_temp AS $$ "
    "DELETE FROM tallybird.records r WHERE r.owner = zone_owner AND r.zone = zone_name "
    "AND (tallybird.is_admin() OR tallybird.may_write(r.owner, r.zone)) $$",
    "CREATE FUNCTION tallybird.remove_deletions(doomed jsonb) RETURNS void LANGUAGE sql "
    "VOLATILE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ "
    "DELETE FROM tallybird.deletions r USING jsonb_to_recordset(doomed) "
    "AS d(owner text, zone text, name text) "
    "WHERE r.owner = d.owner AND r.zone = d.zone AND r.name = d.name "
    "AND (tallybird.is_admin() OR tallybird.may_write(r.owner, r.zone)) $$",
    "CREATE FUNCTION tallybird.remove_zone_deletions(zone_owner text, zone_name text) "
    "RETURNS void LANGUAGE sql VOLATILE SECURITY DEFINER "
    "SET search_path = pg_catalog, pg_temp AS $$ "
    "DELETE FROM tallybird.deletions r WHERE r.owner = zone_owner AND r.zone = zone_name "
    "AND (tallybird.is_admin() OR tallybird.may_write(r.owner, r.zone)) $$",
    "CREATE FUNCTION tallybird.remove_participant(zone_owner text, zone_name text, "
    "person text) RETURNS void LANGUAGE sql VOLATILE SECURITY DEFINER "
    "SET search_path = pg_catalog, pg_temp AS $$ "
    "DELETE FROM tallybird.participants p WHERE p.owner = zone_owner AND p.zone = zone_name "
    "AND p.user_name = person AND (tallybird.is_admin() OR p.owner = session_user "
    "OR p.user_name = session_user) $$",
    "DROP POLICY touched ON tallybird.zones",
    "DROP POLICY removed ON tallybird.zones",
    "DROP POLICY removed ON tallybird.records",
    "DROP POLICY removed ON tallybird.deletions",
    "DROP POLICY removed ON tallybird.participants",

    // A zone removal's number is the server's, whatever an insert says: a number taken ahead
    // by a transaction that stays open would keep everybody else's removals waiting.
    "CREATE FUNCTION tallybird.number_zone_removal() RETURNS trigger LANGUAGE plpgsql "
    "SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ BEGIN "
    "NEW.id := nextval(pg_get_serial_sequence('tallybird.zone_removals', 'id')); "
    "RETURN NEW; END $$",
    "CREATE TRIGGER zone_removal_number BEFORE INSERT ON tallybird.zone_removals "
    "FOR EACH ROW EXECUTE FUNCTION tallybird.number_zone_removal()",
    // A fault another device is consuming is left to it rather than waited for.
    "CREATE OR REPLACE FUNCTION tallybird.consume_fault(fault bigint) RETURNS void "
    "LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ BEGIN "
    "UPDATE tallybird.faults f SET remaining = f.remaining - 1 WHERE f.id = "
    "(SELECT g.id FROM tallybird.faults g WHERE g.id = fault AND g.remaining > 0 "
    "AND (tallybird.is_admin() OR g.device = '' OR g.device IN "
    "(SELECT d.id FROM tallybird.devices d WHERE d.holder = session_user)) "
    "FOR UPDATE SKIP LOCKED); "
    "DELETE FROM tallybird.faults f WHERE f.id = (SELECT g.id FROM tallybird.faults g "
    "WHERE g.id = fault AND g.remaining = 0 FOR UPDATE SKIP LOCKED); END $$",
};

// Version 3: what the administrator switches on a device before any person's role has
// connected with it holds once one does. Device rows are kept per role, so until then the
// device has only the administrator's row; the first row a person's role makes for it starts
// offline, or signed out, when the administrator's row of it says so. The administrator's row
// stays as it is: a role that connects with the device later starts the same way, and no
// person's row changes it or another person's.
const char* const thirdVersion[] = {
    "CREATE FUNCTION tallybird.mark_new_device() RETURNS trigger LANGUAGE plpgsql "
    "SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ "
    "DECLARE switched_off boolean; signed_out boolean; BEGIN "
    "IF tallybird.is_admin() OR EXISTS (SELECT 1 FROM tallybird.devices d "
    "WHERE d.holder = NEW.holder AND d.id = NEW.id) THEN RETURN NEW; END IF; "
    "SELECT bool_or(d.offline), bool_or(d.user_name IS NULL) INTO switched_off, signed_out "
    "FROM tallybird.devices d JOIN pg_roles r ON r.rolname = d.holder "
    "JOIN pg_namespace n ON n.nspname = 'tallybird' "
    "WHERE d.id = NEW.id AND pg_has_role(r.oid, n.nspowner, 'USAGE'); "
    "IF switched_off THEN NEW.offline := true; END IF; "
    "IF signed_out THEN NEW.user_name := NULL; END IF; "
    "RETURN NEW; END $$",
    "CREATE TRIGGER device_marks BEFORE INSERT ON tallybird.devices "
    "FOR EACH ROW EXECUTE FUNCTION tallybird.mark_new_device()",
};

// Version 4, in two parts.
//
// Limits:
// - a transaction's blocks are forgotten at its commit by one deferred check, not by one per
//   block: each of those walked every block the transaction took, so a transaction that took
//   blocks many times made its commit take the square of that many steps. Its first block
//   marks the transaction in `takers`, and the mark's check forgets them all;
// - people's roles that have no connection limit get the one a person's role is now made with
//   (an administrator's own choice is kept). A role the administrator may not change is left
//   as it is, and so is an administrator's or a superuser's.
//
// What one person may write about another's lists, and hold of them, is bounded by
// what they own and what they accepted.
// - A removal notice tells another person only of a zone the teller owns and that person
//   accepted a share of, in their shared database; any other notice tells only its writer.
// - Only a zone's owner and those who accepted its share lock its row: an invitation alone
//   lets nobody hold up the zone's writers.
// - A reader waits for nobody. Its mark stays below every number that a writer still at work
//   on a row of the reader's databases may commit: a writer of a zone takes its numbers after
//   it locked the zone, so above the zone's latest committed change, and a writer holding the
//   person's own row (a zone to come) takes its above every mark handed out before. The mark
//   never goes below one the person was given before (`marks` keeps the highest), so no token
//   of theirs passes it. A lock another person holds on a shared zone thus keeps the person's
//   marks where they are, and their devices fetch a little more again, rather than waiting.
const char* const fourthVersion[] = {
    "CREATE UNLOGGED TABLE tallybird.takers (taker xid8 PRIMARY KEY)",
    "CREATE FUNCTION tallybird.forget_taker() RETURNS trigger LANGUAGE plpgsql "
    "SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ BEGIN "
    "DELETE FROM tallybird.taken t WHERE t.taker = NEW.taker; "
    "DELETE FROM tallybird.takers k WHERE k.taker = NEW.taker; RETURN NULL; END $$",
    "CREATE CONSTRAINT TRIGGER taker_until_commit AFTER INSERT ON tallybird.takers "
    "DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION tallybird.forget_taker()",
    "DROP TRIGGER taken_until_commit ON tallybird.taken",
    "DROP FUNCTION tallybird.forget_taken()",
    "CREATE OR REPLACE FUNCTION tallybird.take_blocks(count integer) RETURNS SETOF bigint "
    "LANGUAGE plpgsql VOLATILE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ "
    "DECLARE first bigint; BEGIN "
    "IF count < 1 OR count > 100 THEN "
    "RAISE EXCEPTION 'A step takes 1 to 100 blocks.' USING ERRCODE = '22023'; END IF; "
    "INSERT INTO tallybird.takers (taker) VALUES (pg_current_xact_id()) "
    "ON CONFLICT (taker) DO NOTHING; "
    "FOR i IN 1..count LOOP first := nextval('tallybird.change_blocks'); "
    "INSERT INTO tallybird.taken (taker, first) VALUES (pg_current_xact_id(), first); "
    "RETURN NEXT first; END LOOP; END $$",

    "DO $$ DECLARE person name; BEGIN "
    "FOR person IN SELECT r.rolname FROM pg_catalog.pg_roles r "
    "JOIN pg_catalog.pg_namespace n ON n.nspname = 'tallybird' "
    "WHERE r.rolconnlimit = -1 AND NOT r.rolsuper "
    "AND NOT pg_catalog.pg_has_role(r.oid, n.nspowner, 'USAGE') "
    "AND r.oid IN (SELECT a.grantee FROM pg_catalog.pg_class c "
    "CROSS JOIN LATERAL pg_catalog.aclexplode(c.relacl) a WHERE c.relnamespace = n.oid) LOOP "
    "BEGIN EXECUTE pg_catalog.format('ALTER ROLE %I CONNECTION LIMIT 10', person); "
    "EXCEPTION WHEN insufficient_privilege THEN NULL; END; END LOOP; END $$",

    "DROP POLICY told ON tallybird.zone_removals",
    "CREATE POLICY told ON tallybird.zone_removals FOR INSERT "
    "WITH CHECK (tallybird.fresh(seq) AND (user_name = session_user "
    "OR (zone_owner = session_user AND scope = 'shared' AND EXISTS (SELECT 1 "
    "FROM tallybird.participants p WHERE p.owner = zone_removals.zone_owner "
    "AND p.zone = zone_removals.zone_name AND p.user_name = zone_removals.user_name "
    "AND p.acceptance = 'accepted'))))",

    "CREATE OR REPLACE FUNCTION tallybird.lock_zone(zone_owner text, zone_name text) "
    "RETURNS integer LANGUAGE plpgsql VOLATILE SECURITY DEFINER "
    "SET search_path = pg_catalog, pg_temp AS $$ "
    "BEGIN IF NOT (tallybird.is_admin() OR zone_owner = session_user OR EXISTS (SELECT 1 "
    "FROM tallybird.participants p WHERE p.owner = zone_owner AND p.zone = zone_name "
    "AND p.user_name = session_user AND p.acceptance = 'accepted')) THEN RETURN 2; END IF; "
    "PERFORM 1 FROM tallybird.zones z WHERE z.owner = zone_owner AND z.name = zone_name "
    "FOR NO KEY UPDATE; "
    "IF FOUND THEN RETURN 0; END IF; RETURN 1; END $$",

    // The highest mark each person was given.
    "CREATE TABLE tallybird.marks (user_name text PRIMARY KEY, mark bigint NOT NULL)",
    // The highest mark `person` may be given now, with `top` the highest number handed out
    // before the rows were looked at: 0 while a writer holds the person's own row, else `top`
    // or, below it, the latest change of a zone of theirs that a writer holds.
    "CREATE FUNCTION tallybird.held_mark(person text, top bigint) RETURNS bigint "
    "LANGUAGE sql VOLATILE SET search_path = pg_catalog, pg_temp AS $$ "
    "SELECT CASE WHEN EXISTS (SELECT 1 FROM tallybird.feeds f WHERE f.user_name = person "
    "AND tallybird.at_work(f.xmax)) THEN 0 ELSE least(top, "
    "(SELECT min(z.changed_seq) FROM tallybird.zones z WHERE z.owner = person "
    "AND tallybird.at_work(z.xmax)), "
    "(SELECT min(z.changed_seq) FROM tallybird.participants p JOIN tallybird.zones z "
    "ON z.owner = p.owner AND z.name = p.zone WHERE p.user_name = person "
    "AND p.acceptance = 'accepted' AND tallybird.at_work(z.xmax))) END $$",
    "REVOKE ALL ON FUNCTION tallybird.held_mark(text, bigint) FROM PUBLIC",
    "INSERT INTO tallybird.marks (user_name, mark) SELECT u.name, tallybird.held_mark(u.name, "
    "(SELECT CASE WHEN s.is_called THEN s.last_value + 1023 ELSE s.last_value - 1 END "
    "FROM tallybird.change_blocks s)) FROM tallybird.users u",
    // The mark is written down only when it rises, so that a read of a container nobody
    // changed writes nothing, and without waiting for the disk: a mark lost with a crash of the
    // server can at worst make a token of the person's read as expired, once.
    "CREATE OR REPLACE FUNCTION tallybird.settle() RETURNS bigint LANGUAGE plpgsql VOLATILE "
    "SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ "
    "DECLARE top bigint; held bigint; given bigint; BEGIN "
    "SELECT CASE WHEN s.is_called THEN s.last_value + 1023 ELSE s.last_value - 1 END INTO top "
    "FROM tallybird.change_blocks s; "
    "held := tallybird.held_mark(session_user, top); "
    "SELECT m.mark INTO given FROM tallybird.marks m WHERE m.user_name = session_user; "
    "IF given IS NULL OR given < held THEN "
    "PERFORM set_config('synchronous_commit', 'off', true); "
    "INSERT INTO tallybird.marks AS m (user_name, mark) VALUES (session_user, held) "
    "ON CONFLICT (user_name) DO UPDATE SET mark = greatest(m.mark, EXCLUDED.mark) "
    "RETURNING m.mark INTO given; END IF; "
    "RETURN given; END $$",
};

// Version 5: the server, not the program, keeps a reader's mark below every change still to
// come, whoever writes and in whatever order.
// - The top of the numbers handed out is read under the sequence's page lock
//   (`pg_sequence_last_value`): a plain read of the sequence can catch it while `nextval` logs a
//   value 32 blocks ahead, and a mark that counted those gave tokens that passed changes
//   committed below them. Marks kept above the true top are brought down to it, so a token
//   above it reads as expired and its device fetches everything again.
// - A change is taken only as the marks account for it: its number is one its transaction took
//   after it locked the zone (or, for a zone it makes or a notice to oneself, the person's own
//   row). `locked` notes each lock a transaction took, with the top as it was taken; like
//   `taken`, its rows live as long as their transaction. Only a zone's owner and those who
//   accepted it to read and write lock it: an invitation or a share to read holds up nobody.
// - A row's locker may be a group of transactions (a lock taken, then the row changed in a
//   savepoint): `at_work` asks after each member.
// - The check that forgets a transaction's rows is queued after its rows are written, so that it
//   removes them all at the commit, or at once when a caller's constraints are immediate.
// - A person's devices may ask which of that person's zones a writer holds (`held_zones`), so
//   that a request says when its list could not be brought up to date.
const char* const fifthVersion[] = {
    "CREATE FUNCTION tallybird.top() RETURNS bigint LANGUAGE plpgsql VOLATILE "
    "SET search_path = pg_catalog, pg_temp AS $$ DECLARE last bigint; BEGIN "
    "last := pg_sequence_last_value('tallybird.change_blocks'::regclass); "
    // Never called since it was set: the value set, unless a first call is under way.
    "IF last IS NULL THEN SELECT CASE WHEN s.is_called THEN NULL ELSE s.last_value - 1 END "
    "INTO last FROM tallybird.change_blocks s; "
    "IF last IS NOT NULL THEN RETURN last; END IF; "
    "last := pg_sequence_last_value('tallybird.change_blocks'::regclass); END IF; "
    "RETURN last + 1023; END $$",
    "REVOKE ALL ON FUNCTION tallybird.top() FROM PUBLIC",

    "CREATE UNLOGGED TABLE tallybird.locked (taker xid8 NOT NULL, owner text NOT NULL, "
    "zone text, after bigint NOT NULL)",
    "CREATE INDEX locked_by_taker ON tallybird.locked (taker, owner, zone)",
    "CREATE OR REPLACE FUNCTION tallybird.forget_taker() RETURNS trigger LANGUAGE plpgsql "
    "SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ BEGIN "
    "DELETE FROM tallybird.taken t WHERE t.taker = NEW.taker; "
    "DELETE FROM tallybird.locked l WHERE l.taker = NEW.taker; "
    "DELETE FROM tallybird.takers k WHERE k.taker = NEW.taker; RETURN NULL; END $$",
    "CREATE OR REPLACE FUNCTION tallybird.take_blocks(count integer) RETURNS SETOF bigint "
    "LANGUAGE plpgsql VOLATILE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ "
    "DECLARE first bigint; BEGIN "
    "IF count < 1 OR count > 100 THEN "
    "RAISE EXCEPTION 'A step takes 1 to 100 blocks.' USING ERRCODE = '22023'; END IF; "
    "FOR i IN 1..count LOOP first := nextval('tallybird.change_blocks'); "
    "INSERT INTO tallybird.taken (taker, first) VALUES (pg_current_xact_id(), first); "
    "RETURN NEXT first; END LOOP; "
    "INSERT INTO tallybird.takers (taker) VALUES (pg_current_xact_id()) "
    "ON CONFLICT (taker) DO NOTHING; END $$",

    // Locks for writers, noted with the top as they were taken: 0 held, 1 no such zone, 2 not
    // the caller's to lock.
    "CREATE OR REPLACE FUNCTION tallybird.lock_zone(zone_owner text, zone_name text) "
    "RETURNS integer LANGUAGE plpgsql VOLATILE SECURITY DEFINER "
    "SET search_path = pg_catalog, pg_temp AS $$ "
    "BEGIN IF NOT (tallybird.is_admin() OR zone_owner = session_user OR EXISTS (SELECT 1 "
    "FROM tallybird.participants p WHERE p.owner = zone_owner AND p.zone = zone_name "
    "AND p.user_name = session_user AND p.acceptance = 'accepted' "
    "AND p.permission = 'readWrite')) THEN RETURN 2; END IF; "
    "PERFORM 1 FROM tallybird.zones z WHERE z.owner = zone_owner AND z.name = zone_name "
    "FOR NO KEY UPDATE; "
    "IF NOT FOUND THEN RETURN 1; END IF; "
    "INSERT INTO tallybird.locked (taker, owner, zone, after) "
    "VALUES (pg_current_xact_id(), zone_owner, zone_name, tallybird.top()); "
    "INSERT INTO tallybird.takers (taker) VALUES (pg_current_xact_id()) "
    "ON CONFLICT (taker) DO NOTHING; RETURN 0; END $$",
    "CREATE OR REPLACE FUNCTION tallybird.lock_feed(person text) RETURNS boolean "
    "LANGUAGE plpgsql VOLATILE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ "
    "BEGIN IF NOT (tallybird.is_admin() OR person = session_user) THEN RETURN false; END IF; "
    "PERFORM 1 FROM tallybird.feeds f WHERE f.user_name = person FOR NO KEY UPDATE; "
    "IF NOT FOUND THEN RETURN false; END IF; "
    "INSERT INTO tallybird.locked (taker, owner, zone, after) "
    "VALUES (pg_current_xact_id(), person, NULL, tallybird.top()); "
    "INSERT INTO tallybird.takers (taker) VALUES (pg_current_xact_id()) "
    "ON CONFLICT (taker) DO NOTHING; RETURN true; END $$",
    // Whether the calling transaction may stamp a change with `stamp`: it took the number, and
    // after it locked the zone (a null zone: the person's own row).
    "CREATE FUNCTION tallybird.stamped(zone_owner text, zone_name text, stamp bigint) "
    "RETURNS boolean LANGUAGE sql STABLE SECURITY DEFINER "
    "SET search_path = pg_catalog, pg_temp AS $$ "
    "SELECT tallybird.fresh(stamp) AND EXISTS (SELECT 1 FROM tallybird.locked l "
    "WHERE l.taker = pg_current_xact_id() AND l.owner = zone_owner "
    "AND l.zone IS NOT DISTINCT FROM zone_name AND stamp > l.after) $$",
    // A zone made under its owner's row is locked by its maker from then on.
    "CREATE FUNCTION tallybird.lock_made_zone() RETURNS trigger LANGUAGE plpgsql "
    "SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ BEGIN "
    "INSERT INTO tallybird.locked (taker, owner, zone, after) SELECT l.taker, NEW.owner, "
    "NEW.name, min(l.after) FROM tallybird.locked l WHERE l.taker = pg_current_xact_id() "
    "AND l.owner = NEW.owner AND l.zone IS NULL GROUP BY l.taker; RETURN NULL; END $$",
    "CREATE TRIGGER zone_made AFTER INSERT ON tallybird.zones "
    "FOR EACH ROW EXECUTE FUNCTION tallybird.lock_made_zone()",

    // The (sub)transaction a statement runs in, as a row it writes and takes back shows it.
    "CREATE UNLOGGED TABLE tallybird.probes (taker xid8 NOT NULL)",
    "CREATE FUNCTION tallybird.current_step() RETURNS xid LANGUAGE plpgsql VOLATILE "
    "SET search_path = pg_catalog, pg_temp AS $$ DECLARE step xid; BEGIN "
    "INSERT INTO tallybird.probes (taker) VALUES (pg_current_xact_id()) "
    "RETURNING xmin INTO step; "
    "DELETE FROM tallybird.probes p WHERE p.taker = pg_current_xact_id(); "
    "RETURN step; END $$",
    "REVOKE ALL ON FUNCTION tallybird.current_step() FROM PUBLIC",
    // A zone's row is changed only in the (sub)transaction that locked it: one changed in a
    // savepoint under a lock taken outside it is held by a group of lockers, which a reader
    // cannot be sure to tell.
    "CREATE OR REPLACE FUNCTION tallybird.touch_zone(zone_owner text, zone_name text, "
    "stamp bigint) RETURNS void LANGUAGE plpgsql VOLATILE SECURITY DEFINER "
    "SET search_path = pg_catalog, pg_temp AS $$ BEGIN "
    "IF NOT (tallybird.is_admin() OR (tallybird.may_write(zone_owner, zone_name) "
    "AND tallybird.stamped(zone_owner, zone_name, stamp))) THEN "
    "RAISE EXCEPTION 'A change carries a number its own step took after it locked the zone.' "
    "USING ERRCODE = '42501'; END IF; "
    "IF NOT tallybird.is_admin() AND NOT EXISTS (SELECT 1 FROM tallybird.locked l "
    "WHERE l.taker = pg_current_xact_id() AND l.owner = zone_owner AND l.zone = zone_name "
    "AND l.xmin = tallybird.current_step()) THEN "
    "RAISE EXCEPTION 'A zone is changed in the step that locked it.' "
    "USING ERRCODE = '42501'; END IF; "
    "UPDATE tallybird.zones z SET changed_seq = stamp "
    "WHERE z.owner = zone_owner AND z.name = zone_name; END $$",

    "DROP POLICY made ON tallybird.zones",
    "CREATE POLICY made ON tallybird.zones FOR INSERT "
    "WITH CHECK (owner = session_user AND tallybird.stamped(owner, NULL, changed_seq))",
    "DROP POLICY made ON tallybird.records",
    "CREATE POLICY made ON tallybird.records FOR INSERT "
    "WITH CHECK (tallybird.may_write(owner, zone) AND tallybird.stamped(owner, zone, seq))",
    "DROP POLICY changed ON tallybird.records",
    "CREATE POLICY changed ON tallybird.records FOR UPDATE USING (tallybird.may_write(owner, "
    "zone)) "
    "WITH CHECK (tallybird.may_write(owner, zone) AND tallybird.stamped(owner, zone, seq))",
    "DROP POLICY made ON tallybird.deletions",
    "CREATE POLICY made ON tallybird.deletions FOR INSERT "
    "WITH CHECK (tallybird.may_write(owner, zone) AND tallybird.stamped(owner, zone, seq))",
    "DROP POLICY changed ON tallybird.deletions",
    "CREATE POLICY changed ON tallybird.deletions FOR UPDATE "
    "USING (tallybird.may_write(owner, zone)) "
    "WITH CHECK (tallybird.may_write(owner, zone) AND tallybird.stamped(owner, zone, seq))",
    "DROP POLICY invited ON tallybird.participants",
    "CREATE POLICY invited ON tallybird.participants FOR INSERT "
    "WITH CHECK (owner = session_user AND tallybird.stamped(owner, zone, seq) "
    "AND (user_name = owner OR acceptance = 'pending'))",
    // A participant's own row changes as the share's other rows do, or, when they accept, under
    // their own row.
    "DROP POLICY changed ON tallybird.participants",
    "CREATE POLICY changed ON tallybird.participants FOR UPDATE "
    "USING (owner = session_user OR user_name = session_user) "
    "WITH CHECK ((owner = session_user OR user_name = session_user) "
    "AND (tallybird.stamped(owner, zone, seq) "
    "OR (user_name = session_user AND tallybird.stamped(user_name, NULL, seq))))",
    "DROP POLICY told ON tallybird.zone_removals",
    "CREATE POLICY told ON tallybird.zone_removals FOR INSERT "
    "WITH CHECK ((user_name = session_user AND (tallybird.stamped(zone_owner, zone_name, seq) "
    "OR tallybird.stamped(user_name, NULL, seq))) "
    "OR (zone_owner = session_user AND scope = 'shared' "
    "AND tallybird.stamped(zone_owner, zone_name, seq) AND EXISTS (SELECT 1 "
    "FROM tallybird.participants p WHERE p.owner = zone_removals.zone_owner "
    "AND p.zone = zone_removals.zone_name AND p.user_name = zone_removals.user_name "
    "AND p.acceptance = 'accepted')))",

    // Whether a transaction id is of a transaction still at work, as the second version's
    // `at_work` read a locker; now also a member of a group of lockers.
    "ALTER FUNCTION tallybird.at_work(xid) RENAME TO xact_at_work",
    "CREATE FUNCTION tallybird.at_work(holder xid) RETURNS boolean LANGUAGE plpgsql VOLATILE "
    "SET search_path = pg_catalog, pg_temp AS $$ DECLARE member xid; BEGIN "
    "IF holder::text::bigint < 3 THEN RETURN false; END IF; "
    "IF tallybird.xact_at_work(holder) THEN RETURN true; END IF; "
    // The row says whether its locker is a group; SQL does not: a number that names no group
    // now is none, and one that does is asked after as both (at worst a mark held lower).
    "BEGIN FOR member IN SELECT m.xid FROM pg_get_multixact_members(holder) m LOOP "
    "IF tallybird.xact_at_work(member) THEN RETURN true; END IF; END LOOP; "
    "EXCEPTION WHEN OTHERS THEN RETURN false; END; "
    "RETURN false; END $$",

    // The mark, and the top it was taken under: while a writer holds a row of the caller's
    // databases the mark stays below the top, and a device that compares marks compares both.
    "DROP FUNCTION tallybird.settle()",
    "CREATE FUNCTION tallybird.settle(OUT mark bigint, OUT top bigint) LANGUAGE plpgsql "
    "VOLATILE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ "
    "DECLARE held bigint; BEGIN "
    "top := tallybird.top(); "
    "held := tallybird.held_mark(session_user, top); "
    "SELECT m.mark INTO mark FROM tallybird.marks m WHERE m.user_name = session_user; "
    "IF mark IS NULL OR mark < held THEN "
    "PERFORM set_config('synchronous_commit', 'off', true); "
    "INSERT INTO tallybird.marks AS m (user_name, mark) VALUES (session_user, held) "
    "ON CONFLICT (user_name) DO UPDATE SET mark = greatest(m.mark, EXCLUDED.mark) "
    "RETURNING m.mark INTO mark; END IF; END $$",
    "UPDATE tallybird.marks m SET mark = tallybird.top() WHERE m.mark > tallybird.top()",

    // The zones of the caller's databases, their own and those they accepted, that a writer
    // holds now: what the caller's devices cannot bring up to date until it lets go. Nobody
    // else's zones.
    "CREATE FUNCTION tallybird.held_zones() RETURNS TABLE (zone_owner text, zone_name text) "
    "LANGUAGE sql VOLATILE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ "
    "SELECT z.owner, z.name FROM tallybird.zones z WHERE z.owner = session_user "
    "AND tallybird.at_work(z.xmax) "
    "UNION SELECT z.owner, z.name FROM tallybird.participants p JOIN tallybird.zones z "
    "ON z.owner = p.owner AND z.name = p.zone WHERE p.user_name = session_user "
    "AND p.acceptance = 'accepted' AND tallybird.at_work(z.xmax) $$",
};

// Version 6: what a crash of the server and a stranger can no longer do to a person's marks.
// - The server names its run in an unlogged table, which a crash empties and a clean restart
//   keeps. A crash may take back numbers handed out just before it (the sequence logs values
//   ahead, and that log reaches the disk only with a later commit), so numbers a mark counted
//   may be handed out again after it. A mark comes with its run, and tokens carry it (see
//   PostgresStorage): one of an earlier run reads as expired and its device fetches everything
//   again, once. The marks of an earlier run are forgotten as the next run is named, before any
//   mark of the next one is given. A mark stored without waiting for the disk is then no risk
//   either: a crash that loses it ends its run.
// - A zone's or a person's row is locked by one transaction at a time: nothing lets a person
//   lock it in a group (a zone is removed, like changed, only in the step that locked it), so
//   `at_work` reads its locker as one transaction. Read as a group, an old locker's number
//   could name a group that anybody makes, and their open transaction held everyone's lists.
// - `held_zones` waits out a writer whose step is as short as a change's own, and names only
//   the zones whose writer stays.
const char* const sixthVersion[] = {
    "CREATE UNLOGGED TABLE tallybird.runs (one boolean PRIMARY KEY DEFAULT true CHECK (one), "
    "id text NOT NULL)",
    "CREATE FUNCTION tallybird.run() RETURNS text LANGUAGE plpgsql VOLATILE SECURITY DEFINER "
    "SET search_path = pg_catalog, pg_temp AS $$ DECLARE named text; BEGIN "
    "SELECT r.id INTO named FROM tallybird.runs r; "
    "IF named IS NOT NULL THEN RETURN named; END IF; "
    "INSERT INTO tallybird.runs (id) VALUES (substr(md5(gen_random_uuid()::text), 1, 12)) "
    "ON CONFLICT (one) DO NOTHING RETURNING id INTO named; "
    // Another connection named it meanwhile, and forgot the marks.
    "IF named IS NULL THEN SELECT r.id INTO named FROM tallybird.runs r; RETURN named; END IF; "
    "DELETE FROM tallybird.marks; "
    "RETURN named; END $$",
    "REVOKE ALL ON FUNCTION tallybird.run() FROM PUBLIC",
    // The mark as before, with the run it was taken in.
    "DROP FUNCTION tallybird.settle()",
    "CREATE FUNCTION tallybird.settle(OUT mark bigint, OUT top bigint, OUT run text) "
    "LANGUAGE plpgsql VOLATILE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ "
    "DECLARE held bigint; BEGIN "
    "SELECT r.id INTO run FROM tallybird.runs r; "
    "IF run IS NULL THEN run := tallybird.run(); END IF; "
    "top := pg_sequence_last_value('tallybird.change_blocks'::regclass) + 1023; "
    "IF top IS NULL THEN top := tallybird.top(); END IF; "
    "held := tallybird.held_mark(session_user, top); "
    "SELECT m.mark INTO mark FROM tallybird.marks m WHERE m.user_name = session_user; "
    "IF mark IS NULL OR mark < held THEN "
    "PERFORM set_config('synchronous_commit', 'off', true); "
    "INSERT INTO tallybird.marks AS m (user_name, mark) VALUES (session_user, held) "
    "ON CONFLICT (user_name) DO UPDATE SET mark = greatest(m.mark, EXCLUDED.mark) "
    "RETURNING m.mark INTO mark; END IF; END $$",

    "CREATE OR REPLACE FUNCTION tallybird.at_work(holder xid) RETURNS boolean "
    "LANGUAGE plpgsql VOLATILE SET search_path = pg_catalog, pg_temp AS $$ "
    "DECLARE now pg_snapshot := pg_current_snapshot(); "
    "next bigint := pg_snapshot_xmax(now)::text::bigint; id bigint := holder::text::bigint; "
    "BEGIN IF id < 3 THEN RETURN false; END IF; "
    // The row holds the low 32 bits; the transaction is the one nearest the next.
    "id := id + (next - next % 4294967296); "
    "IF id > next + 2147483647 THEN id := id - 4294967296; END IF; "
    "IF id < pg_snapshot_xmin(now)::text::bigint THEN RETURN false; END IF; "
    "RETURN coalesce(pg_xact_status(id::text::xid8) = 'in progress', false); END $$",
    "CREATE OR REPLACE FUNCTION tallybird.remove_zone(zone_owner text, zone_name text) "
    "RETURNS void LANGUAGE plpgsql VOLATILE SECURITY DEFINER "
    "SET search_path = pg_catalog, pg_temp AS $$ BEGIN "
    "IF NOT tallybird.is_admin() AND EXISTS (SELECT 1 FROM tallybird.zones z "
    "WHERE z.owner = zone_owner AND z.name = zone_name AND z.owner = session_user) "
    "AND NOT EXISTS (SELECT 1 FROM tallybird.locked l WHERE l.taker = pg_current_xact_id() "
    "AND l.owner = zone_owner AND l.zone = zone_name "
    "AND l.xmin = tallybird.current_step()) THEN "
    "RAISE EXCEPTION 'A zone is removed in the step that locked it.' "
    "USING ERRCODE = '42501'; END IF; "
    "DELETE FROM tallybird.zones z WHERE z.owner = zone_owner AND z.name = zone_name "
    "AND (tallybird.is_admin() OR z.owner = session_user); END $$",

    // Whether a zone's writer stays: it is still at work once it had until a second into the
    // caller's statement to let go. Asked only of a writer at work.
    "CREATE FUNCTION tallybird.stays(holder xid) RETURNS boolean LANGUAGE plpgsql VOLATILE "
    "COST 10000 SET search_path = pg_catalog, pg_temp AS $$ BEGIN "
    "WHILE tallybird.at_work(holder) LOOP "
    "IF clock_timestamp() > statement_timestamp() + interval '1 second' THEN RETURN true; "
    "END IF; PERFORM pg_sleep(0.01); END LOOP; RETURN false; END $$",
    "REVOKE ALL ON FUNCTION tallybird.stays(xid) FROM PUBLIC",
    "CREATE OR REPLACE FUNCTION tallybird.held_zones() "
    "RETURNS TABLE (zone_owner text, zone_name text) LANGUAGE sql VOLATILE "
    "SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ "
    "SELECT z.owner, z.name FROM tallybird.zones z WHERE z.owner = session_user "
    "AND tallybird.at_work(z.xmax) AND tallybird.stays(z.xmax) "
    "UNION SELECT z.owner, z.name FROM tallybird.participants p JOIN tallybird.zones z "
    "ON z.owner = p.owner AND z.name = p.zone WHERE p.user_name = session_user "
    "AND p.acceptance = 'accepted' AND tallybird.at_work(z.xmax) "
    "AND tallybird.stays(z.xmax) $$",
};

// Version 7: a device that lost the answer of a batch it sent asks what became of it. A batch
// notes the device's id for it (`note_send`) in its own transaction, one row under the role
// that sent it; asked after a send of its own (`settle_send`), a role learns whether the batch
// was committed and which saves it refused. A send not there is given up as it is asked after:
// its row then says so, and the batch, should it still be on its way, fails on it at its commit.
// A role's rows are its own: only it reads them, and only through these functions are they
// written. A device's sends a month old go as it sends more: it asks after a lost answer
// before it sends again.
const char* const seventhVersion[] = {
    "CREATE TABLE tallybird.sends (holder text NOT NULL, device text NOT NULL, id text NOT NULL, "
    "landed boolean NOT NULL, refused text, at timestamptz NOT NULL DEFAULT now(), "
    "PRIMARY KEY (holder, device, id))",
    "CREATE INDEX sends_by_time ON tallybird.sends (holder, device, at)",
    "ALTER TABLE tallybird.sends ENABLE ROW LEVEL SECURITY",
    "CREATE POLICY own ON tallybird.sends FOR SELECT USING (holder = session_user)",
    "CREATE FUNCTION tallybird.note_send(send_device text, send_id text, send_refused text) "
    "RETURNS void LANGUAGE sql VOLATILE SECURITY DEFINER "
    "SET search_path = pg_catalog, pg_temp AS $$ "
    "WITH gone AS (DELETE FROM tallybird.sends s WHERE s.holder = session_user "
    "AND s.device = send_device AND s.at < now() - interval '30 days') "
    "INSERT INTO tallybird.sends (holder, device, id, landed, refused) "
    "VALUES (session_user, send_device, send_id, true, send_refused) $$",
    "CREATE FUNCTION tallybird.settle_send(send_device text, send_id text, "
    "OUT landed boolean, OUT refused text) LANGUAGE plpgsql VOLATILE SECURITY DEFINER "
    "SET search_path = pg_catalog, pg_temp AS $$ BEGIN "
    // A batch with this id still at work is waited for here.
    "INSERT INTO tallybird.sends (holder, device, id, landed) "
    "VALUES (session_user, send_device, send_id, false) ON CONFLICT DO NOTHING; "
    "SELECT s.landed, s.refused INTO landed, refused FROM tallybird.sends s "
    "WHERE s.holder = session_user AND s.device = send_device AND s.id = send_id; END $$",
};

// Version 8: a container restored from a backup starts a new run. A restore brings back the run
// with the marks and the sequence as they were at the backup, below tokens handed out after it.
// - The run's row notes the table it was written in and how far the server had numbered its
//   transactions. pg_restore makes the table anew, under another oid; a server younger than
//   the one the run was named on (where the oid may come round again) numbers its transactions
//   below the run's. A clean restart, VACUUM and an upgrade keep both. A reader compares them
//   with what its own statement sees, which reads no catalog.
// - A copy of a stopped server's files put back cannot be told from the server that stopped:
//   its administrator starts a new run (`new_run`, tallybird-cloud new-run).
// - One namer at a time takes the table: readers go on, and a second namer finds the run named.
const char* const eighthVersion[] = {
    "ALTER TABLE tallybird.runs ADD COLUMN made_in oid, ADD COLUMN numbered xid8",
    "UPDATE tallybird.runs r SET made_in = r.tableoid, "
    "numbered = pg_snapshot_xmax(pg_current_snapshot())",
    "CREATE OR REPLACE FUNCTION tallybird.run() RETURNS text LANGUAGE plpgsql VOLATILE "
    "SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ DECLARE named text; BEGIN "
    "SELECT r.id INTO named FROM tallybird.runs r WHERE r.made_in = r.tableoid "
    "AND r.numbered <= pg_snapshot_xmax(pg_current_snapshot()); "
    "IF named IS NOT NULL THEN RETURN named; END IF; "
    "LOCK TABLE tallybird.runs IN SHARE ROW EXCLUSIVE MODE; "
    // Another connection named it meanwhile, and forgot the marks.
    "SELECT r.id INTO named FROM tallybird.runs r WHERE r.made_in = r.tableoid "
    "AND r.numbered <= pg_snapshot_xmax(pg_current_snapshot()); "
    "IF named IS NOT NULL THEN RETURN named; END IF; "
    "DELETE FROM tallybird.runs; "
    "INSERT INTO tallybird.runs (id, made_in, numbered) "
    "VALUES (substr(md5(gen_random_uuid()::text), 1, 12), 'tallybird.runs'::regclass, "
    "pg_snapshot_xmax(pg_current_snapshot())) RETURNING id INTO named; "
    "DELETE FROM tallybird.marks; "
    "RETURN named; END $$",
    "CREATE FUNCTION tallybird.new_run() RETURNS text LANGUAGE plpgsql VOLATILE "
    "SET search_path = pg_catalog, pg_temp AS $$ BEGIN "
    "LOCK TABLE tallybird.runs IN SHARE ROW EXCLUSIVE MODE; "
    "DELETE FROM tallybird.runs; "
    "RETURN tallybird.run(); END $$",
    "REVOKE ALL ON FUNCTION tallybird.new_run() FROM PUBLIC",
    "CREATE OR REPLACE FUNCTION tallybird.settle(OUT mark bigint, OUT top bigint, OUT run text) "
    "LANGUAGE plpgsql VOLATILE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$ "
    "DECLARE held bigint; BEGIN "
    "SELECT r.id INTO run FROM tallybird.runs r WHERE r.made_in = r.tableoid "
    "AND r.numbered <= pg_snapshot_xmax(pg_current_snapshot()); "
    "IF run IS NULL THEN run := tallybird.run(); END IF; "
    "top := pg_sequence_last_value('tallybird.change_blocks'::regclass) + 1023; "
    "IF top IS NULL THEN top := tallybird.top(); END IF; "
    "held := tallybird.held_mark(session_user, top); "
    "SELECT m.mark INTO mark FROM tallybird.marks m WHERE m.user_name = session_user; "
    "IF mark IS NULL OR mark < held THEN "
    "PERFORM set_config('synchronous_commit', 'off', true); "
    "INSERT INTO tallybird.marks AS m (user_name, mark) VALUES (session_user, held) "
    "ON CONFLICT (user_name) DO UPDATE SET mark = greatest(m.mark, EXCLUDED.mark) "
    "RETURNING m.mark INTO mark; END IF; END $$",
};

// The roles given rights on the container's tables: its people.
const char* const peopleQuery =
    "SELECT DISTINCT pg_catalog.pg_get_userbyid(a.grantee) FROM pg_catalog.pg_class c "
    "CROSS JOIN LATERAL pg_catalog.aclexplode(c.relacl) a "
    "WHERE c.relnamespace = 'tallybird'::regnamespace AND a.grantee <> c.relowner "
    "AND a.grantee <> 0 ORDER BY 1";

// What a person may do with the tables, within the policies: read, insert, update named
// columns. No right here lets a role lock a table beyond what an insert takes.
const char* const personGrants[] = {
    "GRANT USAGE ON SCHEMA tallybird TO %1",
    "GRANT SELECT ON tallybird.meta, tallybird.users TO %1",
    "GRANT SELECT, INSERT ON tallybird.devices, tallybird.zones, tallybird.records, "
    "tallybird.deletions, tallybird.participants, tallybird.zone_removals TO %1",
    "GRANT UPDATE (user_name, offline) ON tallybird.devices TO %1",
    "GRANT UPDATE (type, tag, data, seq) ON tallybird.records TO %1",
    "GRANT UPDATE (type, seq) ON tallybird.deletions TO %1",
    "GRANT UPDATE (role, permission, acceptance, seq) ON tallybird.participants TO %1",
};

// What a person may do with the ids of sends, within the policy: read their own.
const char* const sendsGrant = "GRANT SELECT ON tallybird.sends TO %1";

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

// Gives a person's role what a person may do in a container of this version.
void grantPerson(PostgresConnection& connection, const QString& quoted) {
    for (const char* grant : personGrants)
        connection.sendOnce(QString::fromLatin1(grant).arg(quoted).toUtf8());
}

// Takes every table of the container before an upgrade changes any: one change that locked a
// table while a writer held one that a later change locks would wait for that writer, as the
// writer waits for it. Writers take tables in no one order (a reader's mark looks at zones
// before participants, a writer's lock the other way round), so the upgrade waits a moment for
// each table and, when one stays busy, lets go of all and tries again, leaving the writers in
// flight to finish; it gives way before the server would call the wait a deadlock.
const char* const lockTables =
    "DO $$ DECLARE tables text; waited text := current_setting('lock_timeout'); BEGIN "
    "SELECT string_agg(format('tallybird.%I', c.relname), ', ' ORDER BY array_position("
    "ARRAY['devices', 'users', 'faults', 'feeds', 'participants', 'zones']::name[], c.relname), "
    "c.relname) INTO tables FROM pg_catalog.pg_class c "
    "WHERE c.relnamespace = 'tallybird'::regnamespace AND c.relkind = 'r' "
    "AND c.relname <> 'meta'; "
    "LOOP BEGIN "
    "PERFORM set_config('lock_timeout', '100ms', true); "
    "EXECUTE 'LOCK TABLE ' || tables || ' IN ACCESS EXCLUSIVE MODE'; "
    "PERFORM set_config('lock_timeout', waited, true); RETURN; "
    "EXCEPTION WHEN lock_not_available THEN PERFORM pg_sleep(0.01 + random() * 0.05); END; "
    "END LOOP; END $$";

// Changes a container of version `from` into one of version `to`, inside the caller's
// transaction.
void upgradeFrom(PostgresConnection& connection, int from, int to) {
    if (from < 2 && to >= 2) {
        // The first version's writers lock this table before they take numbers: once it is
        // held, every one of them has committed, and the sequence is read with all they took.
        connection.sendOnce("LOCK TABLE tallybird.writer IN EXCLUSIVE MODE");
        std::vector<QString> people;
        PgRows rows = connection.query(peopleQuery);
        for (int i = 0; i < rows.size(); ++i)
            people.push_back(rows.text(i, 0));
        for (const char* statement : secondVersion)
            connection.sendOnce(statement);
        for (const QString& person : people) {
            const QString quoted = connection.quoteIdentifier(person);
            connection.sendOnce(
                ("REVOKE ALL ON ALL TABLES IN SCHEMA tallybird FROM " + quoted).toUtf8());
            grantPerson(connection, quoted);
        }
    }
    if (from < 3 && to >= 3) {
        for (const char* statement : thirdVersion)
            connection.sendOnce(statement);
    }
    if (from < 4 && to >= 4) {
        for (const char* statement : fourthVersion)
            connection.sendOnce(statement);
    }
    if (from < 5 && to >= 5) {
        for (const char* statement : fifthVersion)
            connection.sendOnce(statement);
    }
    if (from < 6 && to >= 6) {
        for (const char* statement : sixthVersion)
            connection.sendOnce(statement);
    }
    if (from < 7 && to >= 7) {
        std::vector<QString> people;
        PgRows rows = connection.query(peopleQuery);
        for (int i = 0; i < rows.size(); ++i)
            people.push_back(rows.text(i, 0));
        for (const char* statement : seventhVersion)
            connection.sendOnce(statement);
        for (const QString& person : people)
            connection.sendOnce(
                QString::fromLatin1(sendsGrant).arg(connection.quoteIdentifier(person)).toUtf8());
    }
    if (from < 8 && to >= 8) {
        for (const char* statement : eighthVersion)
            connection.sendOnce(statement);
    }
    connection.send("UPDATE tallybird.meta SET value = $1 WHERE key = 'version'",
                    {PgValue::text(QString::number(to))});
}

} // namespace

void PostgresSchema::create(PostgresConnection& connection, int version) {
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
    for (const char* statement : firstVersion)
        connection.sendOnce(statement);
    connection.send("INSERT INTO tallybird.meta (key, value) VALUES ('container', $1), "
                    "('version', '1')",
                    {PgValue::text(QUuid::createUuid().toString(QUuid::WithoutBraces))});
    if (version > 1)
        upgradeFrom(connection, 1, version);
    connection.send("COMMIT");
    connection.sync();
}

void PostgresSchema::upgrade(PostgresConnection& connection) {
    connection.send("BEGIN ISOLATION LEVEL READ COMMITTED");
    // One upgrade at a time: a second one waits here, then finds the work done.
    connection.send("LOCK TABLE tallybird.meta IN SHARE ROW EXCLUSIVE MODE");
    PgRows rows = connection.query("SELECT value FROM tallybird.meta WHERE key = 'version'");
    const int from = rows.size() == 1 ? rows.text(0, 0).toInt() : 0;
    if (from < 1)
        throw StorageError("The container's version is missing.");
    if (from < version) {
        connection.sendOnce(lockTables);
        upgradeFrom(connection, from, version);
    }
    connection.send("COMMIT");
    connection.sync();
}

std::optional<QString> PostgresSchema::preparePerson(PostgresConnection& connection,
                                                     const QString& name) {
    if (name.toUtf8().size() > 63)
        return QStringLiteral("A user on a PostgreSQL server has a name of at most 63 bytes.");
    if (name.startsWith(QLatin1String("pg_")))
        return QStringLiteral("Names starting with pg_ belong to the server.");
    const QString quoted = connection.quoteIdentifier(name);
    // Roles are the whole server's: another container's administrator may make the same person
    // between the look and the making, and then the role is there as wanted. (A valid user name
    // holds no dollar sign, so it cannot end the block.)
    if (connection
            .query("SELECT 1 FROM pg_catalog.pg_roles WHERE rolname = $1", {PgValue::text(name)})
            .size() == 0)
        connection.sendOnce(("DO $$ BEGIN CREATE ROLE " + quoted +
                             " LOGIN CONNECTION LIMIT 10; EXCEPTION WHEN duplicate_object OR "
                             "unique_violation THEN NULL; END $$")
                                .toUtf8());
    // A role that is there already is adopted only as a person's: one that may do more than a
    // person (and whose password the administrator would be told to set) is refused, and so
    // is one that is, or may act as, the administrator. Looked at once made, so that a role
    // made meanwhile by somebody else is looked at too.
    PgRows role =
        connection.query("SELECT CASE WHEN r.rolsuper THEN 'a superuser' "
                         "WHEN r.rolname IN (current_user, session_user) "
                         "OR pg_catalog.pg_has_role(r.oid, current_user, 'MEMBER') "
                         "OR pg_catalog.pg_has_role(r.oid, session_user, 'MEMBER') "
                         "THEN 'the administrator''s own' "
                         "WHEN r.rolcreaterole THEN 'one that makes roles' "
                         "WHEN r.rolcreatedb THEN 'one that makes databases' "
                         "WHEN r.rolreplication THEN 'one that replicates the server' "
                         "WHEN r.rolbypassrls THEN 'one that passes row-level security' END "
                         "FROM pg_catalog.pg_roles r WHERE r.rolname = $1",
                         {PgValue::text(name)});
    if (role.size() == 1 && !role.isNull(0, 0))
        return QStringLiteral("The role %1 on the server is %2, not a person's: a person needs a "
                              "role of their own.")
            .arg(name, role.text(0, 0));
    grantPerson(connection, quoted);
    connection.sendOnce(QString::fromLatin1(sendsGrant).arg(quoted).toUtf8());
    return std::nullopt;
}

} // namespace cloud
