// Lock-free hand-off of completed lines and the start and end of a run from the acquisition
// worker to the window's thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

struct LineQueueItem {
    enum class Kind { Line, RunStarted, RunEnded };
    Kind kind = Kind::Line;
    std::string text;     // the line, or the error text of the run's end (empty: no error)
    bool follow = false;  // for a line: scroll the view to it
};

// Pushing takes no lock, so a worker ended by force can never leave the queue locked against
// the window's thread; at worst the item being pushed is lost. (The worker is ended by force
// only while it waits inside the serial library, not while it allocates.)
// Any number of producers may push; one consumer takes.
class CLineQueue {
public:
    CLineQueue();
    ~CLineQueue();
    CLineQueue(const CLineQueue&) = delete;
    CLineQueue& operator=(const CLineQueue&) = delete;

    // True when the queue was empty before: the producer then posts one wake-up to the
    // consumer. False also when the item could not be allocated (it is dropped).
    bool Push(LineQueueItem item);
    bool PushLine(std::string text, bool follow);
    bool PushRunStarted();
    bool PushRunEnded(std::string errorText);

    // Appends everything queued so far to out, oldest first; returns how many were taken.
    size_t TakeAll(std::vector<LineQueueItem>& out);
    bool IsEmpty() const;

private:
    struct Node {
        LineQueueItem item;
        Node* next;
    };

    std::atomic<Node*> m_pHead;  // newest first
};
