-- The schedule store: the recording tasks, and the plans of those that repeat.
-- No semicolon in a comment: the file is cut into statements at each one.
-- StartDate is ISO text (YYYY-MM-DD) and StartTime 24-hour text (HH:MM:SS), so that
-- the text order is the time order and rows without a date sort first.
CREATE TABLE AddSchTab (
    StartDate    TEXT,
    StartTime    TEXT,
    Program      TEXT CONSTRAINT ProgramNotEmpty CHECK (Program <> ''),
    Filename     TEXT CONSTRAINT FilenameNotEmpty CHECK (Filename <> ''),
    Parameter    TEXT,
    RecordLength TEXT
);

CREATE INDEX AddSchTabStart ON AddSchTab (StartDate, StartTime);

-- Repeating tasks. AddSchTab holds each series' next occurrence as an ordinary task, and its plan row
-- names that row by its content (StartDate, StartTime, Filename, exactly as stored there), since
-- VACUUM renumbers rowids. Program, Parameter and RecordLength copy the row's, so that a series
-- whose row has gone can go on. Rule is an RFC 5545 recurrence rule such as FREQ=DAILY, or
-- FREQ=WEEKLY with BYDAY=MO,TU,WE,TH,FR, INTERVAL, UNTIL or COUNT, counted from FirstDate, or from
-- StartDate when FirstDate is NULL. An empty Rule plans no repeat: the row is a one-shot task that
-- has only a Source of its own. Source is what the recorder records: a sound server's source name or
-- an http(s) stream address, empty or NULL for the recorder's own choice.
CREATE TABLE AddSchPlan (
    Id           INTEGER PRIMARY KEY,
    StartDate    TEXT,
    StartTime    TEXT,
    Filename     TEXT,
    Rule         TEXT NOT NULL,
    FirstDate    TEXT,
    Program      TEXT,
    Parameter    TEXT,
    RecordLength TEXT,
    Source       TEXT
);

CREATE INDEX AddSchPlanRow ON AddSchPlan (StartDate, StartTime, Filename);

PRAGMA user_version = 2;
