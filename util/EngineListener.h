// How a core engine tells its view that something it shows has changed. The
// window redraws its log or counters; the command line ignores it or prints.
#pragma once

class IEngineListener {
public:
    virtual ~IEngineListener() = default;
    virtual void OnLogChanged() {}
    virtual void OnTotalsChanged() {}
};
