#pragma once

// What the authoring windows are handed to ask for a snapshot of the shows
// before they delete or paste. A null requester takes none.
class SnapshotRequester {
public:
    virtual ~SnapshotRequester() = default;
    // A snapshot of the shows as they are now, unless one was taken within
    // the last half minute (a burst of edits makes one). It returns once the
    // database was copied into memory (the rest is done on another thread):
    // what the next statement changes is not in the snapshot.
    virtual void snapshotBeforeChange() = 0;
};
