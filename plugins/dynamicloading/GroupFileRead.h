// A background reader: a worker thread's body that reads queued group files one after the
// other and returns once the queue is empty or it is told to stop. It touches nothing of the
// engine.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ReadQueue.h"
#include "Tev_Tread.h"

class GroupFileRead : public Tev_RunTread {
public:
    explicit GroupFileRead(std::shared_ptr<ReadQueue> queue);
    void TreadFunction() override;

private:
    bool KeepRunning();
    bool KeepReading(const GroupFileJob& job);
    void ReadJob(GroupFileJob& job);
    std::string Read(const GroupFileJob& job, std::vector<char>& bytes);

    std::shared_ptr<ReadQueue> queue;  // shared: the body may outlive the channel that started it
};
