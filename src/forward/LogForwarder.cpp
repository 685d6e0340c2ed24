#include "forward/LogForwarder.h"

#include <algorithm>
#include <cmath>

namespace veyrune {

std::shared_ptr<LogForwarder> LogForwarder::make(Dependencies dependencies) {
    return std::shared_ptr<LogForwarder>(new LogForwarder(std::move(dependencies)));
}

LogForwarder::LogForwarder(Dependencies dependencies) : deps_(std::move(dependencies)) {}

LogForwarder::~LogForwarder() {
    deps_.timer.cancel();
}

void LogForwarder::postWeakly(std::function<void(LogForwarder&)> work) {
    deps_.queue.post([weak = weak_from_this(), work = std::move(work)] {
        if (auto self = weak.lock()) {
            work(*self);
        }
    });
}

void LogForwarder::setSink(std::shared_ptr<LineSink> sink, std::string destination) {
    postWeakly([sink = std::move(sink), destination = std::move(destination)](LogForwarder& self) {
        {
            std::lock_guard lock(self.mutex_);
            if (self.activeSink_ && self.activeSink_ != sink) {
                self.activeSink_->cancel();
            }
        }
        self.sink_ = sink;
        self.destination_ = destination;
        ++self.generation_;
        self.probed_ = false;
        self.failures_ = 0;
        self.waitingToRetry_ = false;
        self.deps_.timer.cancel();
        self.updateStatus([on = sink != nullptr](ForwardingStatus& status) {
            status.state = on ? ForwardingStatus::State::connecting : ForwardingStatus::State::off;
            status.error.clear();
        });
        self.startPass();
    });
}

void LogForwarder::poke() {
    postWeakly([](LogForwarder& self) {
        if (self.waitingToRetry_) {
            self.recount();
        } else {
            self.startPass();
        }
    });
}

void LogForwarder::retryNow() {
    postWeakly([](LogForwarder& self) {
        if (self.waitingToRetry_) {
            self.deps_.timer.cancel();
            self.waitingToRetry_ = false;
        }
        self.startPass();
    });
}

ForwardingStatus LogForwarder::status() const {
    std::lock_guard lock(mutex_);
    return status_;
}

void LogForwarder::stop(std::chrono::steady_clock::time_point deadline) {
    {
        std::unique_lock lock(mutex_);
        passChanged_.wait_until(lock, deadline, [this] { return activeSink_ == nullptr; });
        stopping_ = true;
        if (activeSink_) {
            activeSink_->cancel();
        }
    }
    deps_.timer.cancel();
}

void LogForwarder::updateStatus(const std::function<void(ForwardingStatus&)>& change) {
    std::lock_guard lock(mutex_);
    change(status_);
}

void LogForwarder::startPass() {
    if (!sink_) {
        return;
    }
    if (passRunning_) {
        pokedDuringPass_ = true;
        return;
    }
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        activeSink_ = sink_;
    }
    passRunning_ = true;
    pokedDuringPass_ = false;
    deps_.blockingIO.run([self = shared_from_this(), sink = sink_, destination = destination_,
                          generation = generation_, probe = !probed_] {
        auto outcome = self->runPass(*sink, destination, probe);
        {
            std::lock_guard lock(self->mutex_);
            self->activeSink_.reset();
            self->passChanged_.notify_all();
        }
        self->postWeakly([generation, outcome](LogForwarder& forwarder) {
            forwarder.passEnded(generation, outcome);
        });
    });
}

void LogForwarder::passEnded(std::uint64_t generation, const Outcome& outcome) {
    passRunning_ = false;
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
    }
    if (generation != generation_) {
        startPass();  // the route changed meanwhile: its outcome is moot
        return;
    }
    if (outcome.error) {
        ++failures_;
        updateStatus([&](ForwardingStatus& status) {
            status.state = ForwardingStatus::State::failing;
            status.error = *outcome.error;
            status.waitingLines = outcome.waiting;
        });
        retryLater();
        return;
    }
    failures_ = 0;
    probed_ = probed_ || outcome.reached;
    auto now = deps_.clock.now();
    updateStatus([&](ForwardingStatus& status) {
        if (outcome.reached) {
            status.state = ForwardingStatus::State::connected;
            status.error.clear();
        }
        if (outcome.taken > 0) {
            status.lastTakenAt = now;
        }
        status.waitingLines = outcome.waiting;
    });
    if (outcome.more || pokedDuringPass_) {
        startPass();
    }
}

void LogForwarder::retryLater() {
    double delay = std::min(longestRetrySeconds, firstRetrySeconds * std::pow(2.0, failures_ - 1));
    waitingToRetry_ = true;
    deps_.timer.schedule(deps_.queue, delay, [weak = weak_from_this()] {
        if (auto self = weak.lock()) {
            self->waitingToRetry_ = false;
            self->startPass();
        }
    });
}

void LogForwarder::recount() {
    if (passRunning_) {
        recountAgain_ = true;
        return;
    }
    passRunning_ = true;
    recountAgain_ = false;
    deps_.blockingIO.run(
        [self = shared_from_this(), destination = destination_, generation = generation_] {
            auto waiting = self->countWaiting(destination);
            self->postWeakly([generation, waiting](LogForwarder& forwarder) {
                forwarder.recountEnded(generation, waiting);
            });
        });
}

void LogForwarder::recountEnded(std::uint64_t generation, std::optional<std::uint64_t> waiting) {
    passRunning_ = false;
    if (waiting && generation == generation_) {
        updateStatus([&](ForwardingStatus& status) { status.waitingLines = *waiting; });
    }
    if (pokedDuringPass_ || generation != generation_) {
        startPass();  // the retry came, or the route changed, meanwhile
    } else if (recountAgain_ && waitingToRetry_) {
        recount();
    }
}

std::optional<std::uint64_t> LogForwarder::countWaiting(const std::string& destination) {
    auto& p = progress_;
    try {
        ensureLoaded(destination);
        readLog(deps_.paths.events, p.cursor.events, p.eventsCounted, p.eventsWaiting, 0);
        readLog(deps_.paths.seals, p.cursor.seals, p.sealsCounted, p.sealsWaiting, 0);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return p.eventsWaiting + p.sealsWaiting;
}

void LogForwarder::ensureLoaded(const std::string& destination) {
    auto& p = progress_;
    if (!p.loaded || p.cursor.destination != destination) {
        auto stored = ForwardCursor::load(deps_.files, deps_.paths.cursor);
        if (stored.destination != destination) {
            stored = ForwardCursor{destination, {}, {}};
        }
        p = Progress{stored, true};
    }
}

TailRead LogForwarder::readLog(const std::filesystem::path& path, LogPosition& cursor,
                               std::uint64_t& counted, std::uint64_t& waiting,
                               std::size_t maxBytes) {
    auto read = LogTail::read(deps_.files, path, cursor, maxBytes);
    if (read.restarted) {
        cursor = {};
        counted = 0;
        waiting = 0;
        progress_.unsaved = true;
    }
    // Only bytes not counted before are read for the count.
    std::uint64_t size = read.file ? read.file->size : 0;
    std::uint64_t from = std::max(counted, cursor.offset);
    waiting += LogTail::countLineEnds(deps_.files, path, from, size);
    counted = std::max(from, size);
    return read;
}

void LogForwarder::advance(LogPosition& cursor, std::uint64_t& waiting, const TailRead& read,
                           std::size_t count) {
    if (count == 0) {
        return;
    }
    cursor = LogTail::after(read, read.lines[count - 1]);
    waiting -= std::min<std::uint64_t>(waiting, count);
    if (read.reachedEnd && count == read.lines.size()) {
        waiting = 0;  // blank lines counted as ends are never sent
    }
    progress_.unsaved = true;
}

LogForwarder::Outcome LogForwarder::runPass(LineSink& sink, const std::string& destination,
                                            bool probe) {
    Outcome outcome;
    auto& p = progress_;
    auto& paths = deps_.paths;
    try {
        ensureLoaded(destination);
        auto events = readLog(paths.events, p.cursor.events, p.eventsCounted, p.eventsWaiting);
        std::vector<ForwardedLine> batch;
        std::size_t eventCount = std::min(events.lines.size(), batchLines);
        for (std::size_t i = 0; i < eventCount; ++i) {
            batch.push_back({ForwardedLog::events, events.lines[i].text});
        }
        bool eventsDone = events.reachedEnd && eventCount == events.lines.size();
        // Seals speak of event lines: they go out only behind those.
        TailRead seals;
        seals.reachedEnd = true;
        if (eventsDone) {
            seals = readLog(paths.seals, p.cursor.seals, p.sealsCounted, p.sealsWaiting);
            for (std::size_t i = 0; i < seals.lines.size() && batch.size() < batchLines; ++i) {
                batch.push_back({ForwardedLog::seals, seals.lines[i].text});
            }
        }
        std::size_t sealCount = batch.size() - eventCount;
        bool sealsDone = seals.reachedEnd && sealCount == seals.lines.size();

        std::size_t taken = 0;
        if (events.skipTo != 0 && eventCount == 0) {
            p.cursor.events = LogTail::afterSkip(deps_.files, paths.events, events);
            p.unsaved = true;
            eventsDone = false;
        } else if (!batch.empty() || probe) {
            taken = std::min(sink.send(batch), batch.size());
            outcome.reached = true;
            if (!batch.empty() && taken == 0) {
                throw LineSinkError("nothing was taken");
            }
        }
        advance(p.cursor.events, p.eventsWaiting, events, std::min(taken, eventCount));
        advance(p.cursor.seals, p.sealsWaiting, seals, taken - std::min(taken, eventCount));
        if (seals.skipTo != 0 && sealCount == 0 && eventsDone) {
            p.cursor.seals = LogTail::afterSkip(deps_.files, paths.seals, seals);
            p.unsaved = true;
            sealsDone = false;
        }
        outcome.taken = taken;
        outcome.more = taken < batch.size() || !eventsDone || !sealsDone;
        if (p.unsaved) {
            p.cursor.save(deps_.files, paths.cursor);
            p.unsaved = false;
        }
    } catch (const std::exception& failure) {
        outcome.error = failure.what();
    }
    outcome.waiting = p.eventsWaiting + p.sealsWaiting;
    return outcome;
}

}  // namespace veyrune
