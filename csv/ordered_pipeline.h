#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace veltrane {

// Runs work on a pool of threads and hands the results back in the order the work came in.
//
// The calling thread produces each item, and later consumes it; worker threads compute on it in
// between. Items live in a ring of `window` slots reused from one item to the next, so at most
// `window` items exist at once whatever the number of items, and their buffers are reused rather
// than allocated again. With no worker threads the calling thread computes each item itself and
// no thread is started.
//
// A slot belongs to one thread at a time: to the calling thread until it is published under the
// lock, then to the one worker that takes its number, then, once marked done under the lock, to
// the calling thread again. Nothing else is shared.
template <typename Item>
class OrderedPipeline {
public:
    using Compute = std::function<void(Item&)>;

    OrderedPipeline(unsigned workers, std::size_t window, Compute compute)
        : workers_{workers}
        , compute_{std::move(compute)}
        , slots_(window < 1 ? 1 : window) {}

    // Fills items with `produce` (false: no more) and hands each computed item to `consume` in the
    // order produced; stops early, leaving the rest unconsumed, when `consume` returns false. An
    // exception thrown by the computation reaches the caller in the consumer's place.
    template <typename Produce, typename Consume>
    void run(Produce&& produce, Consume&& consume) {
        if (workers_ == 0) {
            Item& item = slots_.front().item;
            while (produce(item)) {
                compute_(item);
                if (!consume(item)) {
                    return;
                }
            }
            return;
        }

        reset();
        std::vector<std::jthread> threads;
        // Whatever way run() ends, the workers are told to finish and are joined before the
        // slots they might touch go away.
        struct Stopper {
            OrderedPipeline& pipeline;
            std::vector<std::jthread>& threads;
            Stopper(OrderedPipeline& owner, std::vector<std::jthread>& started)
                : pipeline{owner}
                , threads{started} {}
            Stopper(const Stopper&) = delete;
            Stopper& operator=(const Stopper&) = delete;
            Stopper(Stopper&&) = delete;
            Stopper& operator=(Stopper&&) = delete;
            ~Stopper() {
                {
                    const std::lock_guard lock{pipeline.mutex_};
                    pipeline.closing_ = true;
                }
                pipeline.workAvailable_.notify_all();
                threads.clear();
            }
        } stopper{*this, threads};
        threads.reserve(workers_);
        for (unsigned i = 0; i < workers_; ++i) {
            threads.emplace_back([this] { work(); });
        }

        const std::uint64_t window = slots_.size();
        std::uint64_t produced = 0;
        std::uint64_t consumed = 0;
        bool ended = false;
        for (;;) {
            while (!ended && produced - consumed < window) {
                Slot& slot = slots_[produced % window];
                if (!produce(slot.item)) {
                    ended = true;
                    break;
                }
                {
                    const std::lock_guard lock{mutex_};
                    produced_ = ++produced;
                }
                workAvailable_.notify_one();
            }
            if (consumed == produced) {
                return;
            }
            Slot& slot = slots_[consumed % window];
            {
                std::unique_lock lock{mutex_};
                resultReady_.wait(lock, [&slot] { return slot.done; });
                slot.done = false;
            }
            ++consumed;
            if (slot.failure) {
                std::rethrow_exception(std::exchange(slot.failure, nullptr));
            }
            if (!consume(slot.item)) {
                return;
            }
        }
    }

private:
    struct Slot {
        Item item{};
        bool done = false;
        std::exception_ptr failure;
    };

    void reset() {
        produced_ = 0;
        taken_ = 0;
        closing_ = false;
        for (Slot& slot : slots_) {
            slot.done = false;
            slot.failure = nullptr;
        }
    }

    void work() {
        const std::uint64_t window = slots_.size();
        for (;;) {
            std::uint64_t number = 0;
            {
                std::unique_lock lock{mutex_};
                workAvailable_.wait(lock, [this] { return closing_ || taken_ < produced_; });
                if (closing_) {
                    return;
                }
                number = taken_++;
            }
            Slot& slot = slots_[number % window];
            try {
                compute_(slot.item);
            } catch (...) {
                slot.failure = std::current_exception();
            }
            {
                const std::lock_guard lock{mutex_};
                slot.done = true;
            }
            // Only the calling thread waits for results; it checks the slot it waits for.
            resultReady_.notify_one();
        }
    }

    const unsigned workers_;
    const Compute compute_;
    std::vector<Slot> slots_;

    std::mutex mutex_;
    std::condition_variable workAvailable_;
    std::condition_variable resultReady_;
    std::uint64_t produced_ = 0;
    std::uint64_t taken_ = 0;
    bool closing_ = false;
};

} // namespace veltrane
