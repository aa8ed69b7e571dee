-- The show database as shipped: six show and command tables, five lookup
-- tables with their rows, no shows.

BEGIN;

CREATE TABLE Show (
    ShowID                 INTEGER NOT NULL PRIMARY KEY,
    SequenceNo             INTEGER,
    ActivedUniversalSwitch INTEGER DEFAULT 0,
    UniversalSwitchID      INTEGER DEFAULT 0
);

CREATE TABLE TimePoint (
    ShowID            INTEGER NOT NULL,
    TimePointID       INTEGER NOT NULL,
    SecondOfTimePoint INTEGER,
    Remark            TEXT,
    PRIMARY KEY (ShowID, TimePointID)
);

CREATE TABLE CommandsForShow (
    ShowID          INTEGER NOT NULL,
    TimePointID     INTEGER NOT NULL,
    CommandID       INTEGER NOT NULL,
    SequenceNo      INTEGER,
    Remark          TEXT,
    SubnetID        INTEGER,
    DeviceID        INTEGER,
    CommandTypeID   INTEGER,
    FirstParameter  INTEGER,
    SecondParameter INTEGER,
    ThirdParameter  INTEGER,
    DelayMS         INTEGER,
    PRIMARY KEY (ShowID, TimePointID, CommandID)
);

CREATE TABLE CommandsForPlay (
    CommandID       INTEGER NOT NULL PRIMARY KEY,
    SequenceNo      INTEGER,
    Remark          TEXT,
    SubnetID        INTEGER,
    DeviceID        INTEGER,
    CommandTypeID   INTEGER,
    FirstParameter  INTEGER,
    SecondParameter INTEGER,
    ThirdParameter  INTEGER,
    DelayMS         INTEGER
);
CREATE TABLE CommandsForPause (
    CommandID       INTEGER NOT NULL PRIMARY KEY,
    SequenceNo      INTEGER,
    Remark          TEXT,
    SubnetID        INTEGER,
    DeviceID        INTEGER,
    CommandTypeID   INTEGER,
    FirstParameter  INTEGER,
    SecondParameter INTEGER,
    ThirdParameter  INTEGER,
    DelayMS         INTEGER
);

CREATE TABLE CommandsForStop (
    CommandID       INTEGER NOT NULL PRIMARY KEY,
    SequenceNo      INTEGER,
    Remark          TEXT,
    SubnetID        INTEGER,
    DeviceID        INTEGER,
    CommandTypeID   INTEGER,
    FirstParameter  INTEGER,
    SecondParameter INTEGER,
    ThirdParameter  INTEGER,
    DelayMS         INTEGER
);

CREATE TABLE Define_Command_Type (ID INTEGER NOT NULL PRIMARY KEY);
INSERT INTO Define_Command_Type (ID) VALUES (0),(1),(2),(3),(4),(5),(6),(7),(8),(9),(10),(11),(12);

CREATE TABLE Define_Universal_Switch_Status (ID INTEGER NOT NULL PRIMARY KEY, Note TEXT);
INSERT INTO Define_Universal_Switch_Status (ID, Note) VALUES (0, 'Off'), (1, 'On');

CREATE TABLE Define_Curtain_Status (ID INTEGER NOT NULL PRIMARY KEY, Note TEXT);
INSERT INTO Define_Curtain_Status (ID, Note) VALUES (0, 'Stop'), (1, 'Open'), (2, 'Close');

CREATE TABLE Define_Security_Mode (ID INTEGER NOT NULL PRIMARY KEY, Note TEXT);
INSERT INTO Define_Security_Mode (ID, Note) VALUES
    (1, 'Vacation'), (2, 'Away'), (3, 'Night'), (4, 'Night with guest'), (5, 'Day'), (6, 'Disarm');

CREATE TABLE Define_Security_Alarm_Type (ID INTEGER NOT NULL PRIMARY KEY, Note TEXT, Value INTEGER);
INSERT INTO Define_Security_Alarm_Type (ID, Note, Value) VALUES
    (1, 'Burglar', 256), (2, 'Fire', 257), (3, 'Gas leak', 258), (4, 'Panic', 259),
    (5, 'Water leak', 260), (6, 'Tamper', 261);

COMMIT;
