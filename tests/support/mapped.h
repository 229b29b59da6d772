#pragma once

// One field, or one function's result, of each element of a list, in order:
//   mapped(apps, &AppInfo::name)

#include <functional>
#include <type_traits>
#include <vector>

namespace orbel::testing {

template <class List, class F>
auto mapped(const List& list, F f) {
    std::vector<std::decay_t<std::invoke_result_t<F, decltype(*std::begin(list))>>> out;
    for (const auto& element : list) out.push_back(std::invoke(f, element));
    return out;
}

}  // namespace orbel::testing
