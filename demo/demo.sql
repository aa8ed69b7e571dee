-- The demo shows, added to the shipped database. Two shows, each started
-- by a universal switch of the program's own address (subnet 1, device 99)
-- or by a click on its row; time points every few seconds with commands of
-- several kinds; play, pause and stop sets. Targets on subnet 1:
--   device 20 house dimmer, 21 stage lighting, 30 curtains, 40 relays,
--   50 security panel.

BEGIN;

INSERT INTO Show (ShowID, SequenceNo, ActivedUniversalSwitch, UniversalSwitchID) VALUES
    (1, 1, 1, 1),
    (2, 2, 1, 2);

INSERT INTO TimePoint (ShowID, TimePointID, SecondOfTimePoint, Remark) VALUES
    (1, 1, 0, 'House lights to scene 1'),
    (1, 2, 3, 'Curtains open'),
    (1, 3, 6, 'Stage channel up'),
    (1, 4, 9, 'Fountain on'),
    (1, 5, 12, 'Light sequence 2'),
    (1, 6, 15, 'All areas to scene 3'),
    (1, 7, 18, 'Lighting scene 4'),
    (1, 8, 21, 'Security mode day'),
    (1, 9, 24, 'Fountain off, curtains close'),
    (1, 10, 27, 'House lights to scene 0'),
    (2, 1, 0, 'Dim channel 2 to 30'),
    (2, 2, 4, 'Curtains close'),
    (2, 3, 8, 'Lighting sequence 1'),
    (2, 4, 12, 'Security mode night'),
    (2, 5, 16, 'All channels off');

INSERT INTO CommandsForShow (ShowID, TimePointID, CommandID, SequenceNo, Remark, SubnetID, DeviceID,
                             CommandTypeID, FirstParameter, SecondParameter, ThirdParameter, DelayMS) VALUES
    (1, 1, 1, 1, 'House scene 1', 1, 20, 0, 1, 1, 0, 0),
    (1, 2, 1, 1, 'Curtain 1 open', 1, 30, 7, 1, 1, 0, 100),
    (1, 2, 2, 2, 'Curtain 2 open', 1, 30, 7, 2, 1, 0, 0),
    (1, 3, 1, 1, 'Channel 1 to 80 in 2 s', 1, 21, 4, 1, 80, 2, 0),
    (1, 4, 1, 1, 'Fountain relay on', 1, 40, 2, 10, 1, 0, 0),
    (1, 5, 1, 1, 'Sequence 2', 1, 21, 1, 1, 2, 0, 0),
    (1, 6, 1, 1, 'All areas scene 3', 1, 20, 5, 0, 3, 0, 0),
    (1, 7, 1, 1, 'Lighting scene 4', 1, 21, 9, 1, 4, 0, 0),
    (1, 8, 1, 1, 'Day mode', 1, 50, 11, 1, 5, 0, 0),
    (1, 9, 1, 1, 'Fountain relay off', 1, 40, 2, 10, 0, 0, 100),
    (1, 9, 2, 2, 'Curtain 1 close', 1, 30, 7, 1, 2, 0, 100),
    (1, 9, 3, 3, 'Curtain 2 close', 1, 30, 7, 2, 2, 0, 0),
    (1, 10, 1, 1, 'House scene 0', 1, 20, 0, 1, 0, 0, 0),
    (2, 1, 1, 1, 'Channel 2 to 30 in 3 s', 1, 21, 4, 2, 30, 3, 0),
    (2, 2, 1, 1, 'Curtain 1 close', 1, 30, 7, 1, 2, 0, 0),
    (2, 3, 1, 1, 'Lighting sequence 1', 1, 21, 10, 1, 1, 0, 0),
    (2, 4, 1, 1, 'Night mode', 1, 50, 11, 1, 3, 0, 0),
    (2, 5, 1, 1, 'All channels to 0 in 2 s', 1, 21, 6, 0, 0, 2, 0);

INSERT INTO CommandsForPlay (CommandID, SequenceNo, Remark, SubnetID, DeviceID, CommandTypeID,
                             FirstParameter, SecondParameter, ThirdParameter, DelayMS) VALUES
    (1, 1, 'Show lamp on', 1, 40, 2, 20, 1, 0, 0),
    (2, 2, 'House scene 2', 1, 20, 0, 1, 2, 0, 0);

INSERT INTO CommandsForPause (CommandID, SequenceNo, Remark, SubnetID, DeviceID, CommandTypeID,
                              FirstParameter, SecondParameter, ThirdParameter, DelayMS) VALUES
    (1, 1, 'Channel 1 to 40 in 1 s', 1, 21, 4, 1, 40, 1, 0);

INSERT INTO CommandsForStop (CommandID, SequenceNo, Remark, SubnetID, DeviceID, CommandTypeID,
                             FirstParameter, SecondParameter, ThirdParameter, DelayMS) VALUES
    (1, 1, 'Show lamp off', 1, 40, 2, 20, 0, 0, 0),
    (2, 2, 'House scene 1', 1, 20, 0, 1, 1, 0, 0);

COMMIT;
