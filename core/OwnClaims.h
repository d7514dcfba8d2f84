#pragma once

// This program's own claim on the store holds the store's write lock until the recorder it fired
// has started, which may take the few seconds the recorder before it needs to end. A user's write
// waits it out instead of failing as if another program held the store.
class OwnClaims
{
public:
    virtual ~OwnClaims() = default;
    virtual void waitForOwnClaims() = 0;
};
