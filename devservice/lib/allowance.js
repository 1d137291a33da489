// The daily rewrite allowance, kept in the service's database so that a restart
// does not hand out a fresh day. A day is a calendar day in UTC.

export function utcDay(ms) {
    return new Date(ms).toISOString().slice(0, 10);
}

export class Allowance {
    constructor(db, now) {
        this.now = now;
        db.exec(`CREATE TABLE IF NOT EXISTS rewrite_allowance (
            subject TEXT NOT NULL,
            day TEXT NOT NULL,
            used INTEGER NOT NULL,
            PRIMARY KEY (subject, day)
        )`);
        // The conditional update makes "check and count" one statement.
        this.take = db.prepare(`INSERT INTO rewrite_allowance (subject, day, used) VALUES (?, ?, 1)
            ON CONFLICT (subject, day) DO UPDATE SET used = used + 1 WHERE used < ?`);
        this.forget = db.prepare('DELETE FROM rewrite_allowance WHERE day < ?');
        this.lastDay = null;
    }

    // Counts one rewrite for `subject` and returns true, or returns false when
    // `limit` rewrites were already counted today.
    tryTake(subject, limit) {
        const day = utcDay(this.now());
        if (day !== this.lastDay) {
            this.forget.run(day);
            this.lastDay = day;
        }
        if (limit <= 0) return false;
        return this.take.run(subject, day, limit).changes === 1;
    }
}
