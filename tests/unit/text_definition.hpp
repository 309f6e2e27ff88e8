#pragma once
// A definition compiled from its text while the test runs, the way the
// catalogue generator compiles the rows of the directories.
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/compile_definition.hpp"

namespace marlune::test {

class TextDefinition {
public:
    explicit TextDefinition(std::string text) : text_(std::move(text)) {
        const std::string why = compile_definition(text_.c_str(), fields_);
        if (!why.empty()) throw std::invalid_argument(text_ + ": " + why);
        const auto width = std::accumulate(fields_.begin(), fields_.end(), std::uint32_t{3},
                                           [](std::uint32_t sum, const Field& f) { return sum + f.width; });
        definition_ = {text_.c_str(), fields_, width};
    }
    // The definition points into this object.
    TextDefinition(const TextDefinition&) = delete;
    TextDefinition& operator=(const TextDefinition&) = delete;

    operator const Definition&() const noexcept { return definition_; }
    const Definition& get() const noexcept { return definition_; }

private:
    std::string text_;
    std::vector<Field> fields_;
    Definition definition_{};
};

}  // namespace marlune::test
