#pragma once

#include <QObject>

#include <tuple>
#include <type_traits>
#include <vector>

namespace halvana::test {

// Records every emission of one signal with its arguments.
template <typename... Args>
class SignalRecorder {
public:
    template <typename Sender, typename Signal>
    SignalRecorder(Sender* sender, Signal signal)
    {
        QObject::connect(sender, signal, &m_receiver, [this](Args... args) { calls.emplace_back(args...); });
    }

    int count() const { return int(calls.size()); }
    // The first argument of every emission.
    auto firsts() const
    {
        std::vector<std::decay_t<std::tuple_element_t<0, std::tuple<Args...>>>> values;
        for (const auto& call : calls)
            values.push_back(std::get<0>(call));
        return values;
    }

    std::vector<std::tuple<std::decay_t<Args>...>> calls;

private:
    QObject m_receiver;
};

} // namespace halvana::test
