-- The schedule store: one table of one-shot recording tasks.
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
