// A data view whose export runs on the backup screen's worker: it shows its
// own busy box, which the screen ends when the run is over.
#pragma once

class ExportingView {
public:
    virtual void endBusyState() = 0;

protected:
    ~ExportingView() = default;
};
