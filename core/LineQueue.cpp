// Lock-free hand-off of completed lines and the end of a run from the acquisition worker to
// the window's thread.
#include "core/LineQueue.h"

#include <new>
#include <utility>

CLineQueue::CLineQueue() : m_pHead(nullptr)
{
}

CLineQueue::~CLineQueue()
{
    Node* node = m_pHead.exchange(nullptr, std::memory_order_acquire);
    while (node != nullptr) {
        Node* next = node->next;
        delete node;
        node = next;
    }
}

bool CLineQueue::Push(LineQueueItem item)
{
    Node* node = new (std::nothrow) Node{std::move(item), nullptr};
    if (node == nullptr)
        return false;
    Node* head = m_pHead.load(std::memory_order_relaxed);
    do {
        node->next = head;
    } while (!m_pHead.compare_exchange_weak(head, node, std::memory_order_release,
                                            std::memory_order_relaxed));
    return head == nullptr;
}

bool CLineQueue::PushLine(std::string text, bool follow)
{
    return Push(LineQueueItem{LineQueueItem::Kind::Line, std::move(text), follow});
}

bool CLineQueue::PushRunStarted()
{
    return Push(LineQueueItem{LineQueueItem::Kind::RunStarted, std::string(), false});
}

bool CLineQueue::PushRunEnded(std::string errorText)
{
    return Push(LineQueueItem{LineQueueItem::Kind::RunEnded, std::move(errorText), false});
}

size_t CLineQueue::TakeAll(std::vector<LineQueueItem>& out)
{
    // The consumer only ever takes the whole list, so pushes cannot meet a half-removed node.
    Node* node = m_pHead.exchange(nullptr, std::memory_order_acquire);
    Node* oldestFirst = nullptr;
    size_t taken = 0;
    while (node != nullptr) {
        Node* next = node->next;
        node->next = oldestFirst;
        oldestFirst = node;
        node = next;
        ++taken;
    }
    while (oldestFirst != nullptr) {
        Node* next = oldestFirst->next;
        out.push_back(std::move(oldestFirst->item));
        delete oldestFirst;
        oldestFirst = next;
    }
    return taken;
}

bool CLineQueue::IsEmpty() const
{
    return m_pHead.load(std::memory_order_acquire) == nullptr;
}
