#include "model/DefaultStructure.h"

#include "model/CategoryNode.h"

namespace tamblero {

std::size_t ParseStructure(CExpenseGroup& group, const std::u16string& text, std::size_t pos) {
    // Iterative over the nesting, so a deep text cannot exhaust the stack.
    struct Level {
        CExpenseGroup* group;
    };
    std::vector<Level> stack{{&group}};
    std::size_t p = pos;
    for (;;) {
        const std::size_t q = text.find_first_of(u",{}", p);
        if (q == std::u16string::npos) {
            return std::u16string::npos;
        }
        const std::u16string name = text.substr(p, q - p);
        CExpenseGroup& current = *stack.back().group;
        p = q + 1;
        switch (text[q]) {
        case u',':
            current.AddArticle(name);
            break;
        case u'{': {
            // Past the deepest level a group's contents stay in the deepest group.
            CExpenseGroup* added = current.AddGroup(name);
            stack.push_back({added != nullptr ? added : &current});
            break;
        }
        default: // '}'
            if (!name.empty()) {
                current.AddArticle(name);
            }
            stack.pop_back();
            if (stack.empty()) {
                return p;
            }
            break;
        }
    }
}

} // namespace tamblero
