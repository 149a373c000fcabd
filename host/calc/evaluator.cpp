#include "calc/evaluator.h"

#include <algorithm>
#include <new>

#include "calc/ast.h"
#include "calc/builtins.h"
#include "calc/parser.h"
#include "calc/utf8.h"

namespace calc {

namespace {

// Deepest nesting of evaluation, counted across nested Evaluate calls and
// re-entrant evaluations on one thread.
constexpr int kMaxEvalDepth = 400;
thread_local int tEvalDepth = 0;

// Rounds of While before it gives up, and the most SetRecursion allows.
constexpr long long kDefaultIterationLimit = 50000;
constexpr long long kMaxIterationLimit = 10000000;

std::u32string foldName(std::string_view name) { return utf8::lower(utf8::decode(name)); }

[[noreturn]] void raise(CalcError error, std::size_t pos) {
    if (error.position == kNoPosition) error.position = pos;
    if (error.message.empty()) error.message = defaultMessage(error.code);
    throw std::move(error);
}

class Evaluator {
public:
    explicit Evaluator(Context& context) : context_(context) {}

    Value eval(const Node& node) {
        struct Guard {
            explicit Guard(const Node& n) {
                if (++tEvalDepth > kMaxEvalDepth) {
                    --tEvalDepth;
                    throw CalcError(err::Generic, "The calculation is nested too deeply", n.pos);
                }
            }
            ~Guard() { --tEvalDepth; }
            Guard(const Guard&) = delete;
            Guard& operator=(const Guard&) = delete;
        } guard(node);

        switch (node.kind) {
            case NodeKind::Literal: return node.value;
            case NodeKind::Field: return evalField(node);
            case NodeKind::Variable: return context_.variable(node.name);
            case NodeKind::Unary: return evalUnary(node);
            case NodeKind::Chain: return evalChain(node);
            case NodeKind::Call: return evalCall(node);
            case NodeKind::External: return evalExternal(node);
            case NodeKind::Let: return evalLet(node);
            case NodeKind::While: return evalWhile(node);
            case NodeKind::Get: {
                Result r = context_.get(node.getName);
                if (!r) raise(std::move(r.error()), node.pos);
                return std::move(r.value());
            }
            case NodeKind::List:
                throw CalcError(err::ListNotAllowed, "List usage is not allowed in this function", node.pos);
        }
        throw CalcError(err::Generic, "Unknown construct", node.pos);
    }

private:
    Value evalField(const Node& node) {
        if (node.table.empty()) {
            const std::u32string key = foldName(node.name);
            for (auto it = locals_.rbegin(); it != locals_.rend(); ++it) {
                if (it->first == key) return it->second;
            }
        }
        Result r = node.table.empty() ? context_.field(context_.currentTable(), node.name)
                                      : context_.field(node.table, node.name);
        if (!r) raise(std::move(r.error()), node.pos);
        return std::move(r.value());
    }

    Value evalUnary(const Node& node) {
        const Value operand = eval(*node.children[0]);
        switch (node.op) {
            case Op::Not: return Value::boolean(!operand.truth());
            case Op::Minus: {
                const auto n = operand.toNumber();
                return n ? Value::checked(n->negated()) : Value::empty(Type::Number);
            }
            default:
                if (operand.type() == Type::Text || operand.type() == Type::Container) return operand.asNumber();
                return operand;
        }
    }

    Value evalChain(const Node& node) {
        Value acc = eval(*node.children[0]);
        for (std::size_t i = 0; i < node.ops.size(); ++i) {
            const Op op = node.ops[i];
            const Node& rightNode = *node.children[i + 1];
            switch (op) {
                case Op::And:
                    if (!acc.truth()) return Value::boolean(false);
                    acc = Value::boolean(eval(rightNode).truth());
                    break;
                case Op::Or:
                    if (acc.truth()) return Value::boolean(true);
                    acc = Value::boolean(eval(rightNode).truth());
                    break;
                case Op::Xor: acc = Value::boolean(acc.truth() != eval(rightNode).truth()); break;
                case Op::Concat: acc = Value::text(acc.toText() + eval(rightNode).toText()); break;
                case Op::Eq: acc = Value::boolean(compare(acc, eval(rightNode)) == 0); break;
                case Op::Ne: acc = Value::boolean(compare(acc, eval(rightNode)) != 0); break;
                case Op::Lt: acc = Value::boolean(compare(acc, eval(rightNode)) < 0); break;
                case Op::Gt: acc = Value::boolean(compare(acc, eval(rightNode)) > 0); break;
                case Op::Le: acc = Value::boolean(compare(acc, eval(rightNode)) <= 0); break;
                case Op::Ge: acc = Value::boolean(compare(acc, eval(rightNode)) >= 0); break;
                case Op::Plus: acc = fnutil::arithmetic('+', acc, eval(rightNode), precision_); break;
                case Op::Minus: acc = fnutil::arithmetic('-', acc, eval(rightNode), precision_); break;
                case Op::Times: acc = fnutil::arithmetic('*', acc, eval(rightNode), precision_); break;
                case Op::Divide: acc = fnutil::arithmetic('/', acc, eval(rightNode), precision_); break;
                case Op::Power: acc = fnutil::arithmetic('^', acc, eval(rightNode), precision_); break;
                case Op::Not: break;
            }
        }
        return acc;
    }

    std::vector<Value> evalAll(const Node& node) {
        std::vector<Value> args;
        args.reserve(node.children.size());
        for (const auto& child : node.children) args.push_back(eval(*child));
        return args;
    }

    Value evalExternal(const Node& node) {
        const std::vector<Value> args = evalAll(node);
        Result r = context_.callExternal(node.external, args);
        if (!r) raise(std::move(r.error()), node.pos);
        return std::move(r.value());
    }

    // Restores the local names to a size when a Let or While ends.
    struct LocalsFrame {
        std::vector<std::pair<std::u32string, Value>>& locals;
        std::size_t size;
        ~LocalsFrame() { locals.resize(size); }
    };

    // A binding of Let or While's initial list: $ and $$ names set the
    // context's variables, plain names become local.
    void bind(const Binding& b) {
        Value v = eval(*b.value);
        if (!b.name.empty() && b.name.front() == '$') {
            context_.setVariable(b.name, v);
        } else {
            locals_.emplace_back(foldName(b.name), std::move(v));
        }
    }

    Value evalLet(const Node& node) {
        LocalsFrame frame{locals_, locals_.size()};
        for (const Binding& b : node.bindings) bind(b);
        return eval(*node.children[0]);
    }

    // While ( initial ; condition ; logic ; result ): the logic runs while the
    // condition holds; a plain name it sets replaces the While's own one of
    // that name. More rounds than the iteration limit give "?".
    Value evalWhile(const Node& node) {
        LocalsFrame frame{locals_, locals_.size()};
        for (const Binding& b : node.bindings) bind(b);
        long long rounds = 0;
        while (eval(*node.children[0]).truth()) {
            if (++rounds > maxIterations_) {
                swallowed_ = CalcError(err::Generic,
                                       "While ran more than " + std::to_string(maxIterations_) + " times", node.pos);
                return Value::text("?");
            }
            for (const Binding& b : node.logic) {
                Value v = eval(*b.value);
                if (!b.name.empty() && b.name.front() == '$') {
                    context_.setVariable(b.name, v);
                    continue;
                }
                const std::u32string key = foldName(b.name);
                auto it = std::find_if(locals_.begin() + static_cast<std::ptrdiff_t>(frame.size), locals_.end(),
                                       [&](const auto& local) { return local.first == key; });
                if (it != locals_.end()) {
                    it->second = std::move(v);
                } else {
                    locals_.emplace_back(key, std::move(v));
                }
            }
        }
        return eval(*node.children[1]);
    }

    // Runs `body` with a member set to a value, restoring it afterwards.
    template <class T, class F>
    Value with(T& member, T value, F body) {
        struct Restore {
            T& member;
            T saved;
            ~Restore() { member = saved; }
        } restore{member, member};
        member = value;
        return body();
    }

    CallSite site(const Node& node) { return CallSite{context_, node.pos, precision_}; }

    // GetField ( fieldName ): the field named by the text, Table::Field or a
    // field of the current table; "?" when there is none.
    Value evalGetField(const Node& node) {
        const std::string name = eval(*node.children[0]).toText();
        const std::size_t scope = name.find("::");
        Result r = scope == std::string::npos ? context_.field(context_.currentTable(), name)
                                              : context_.field(name.substr(0, scope), name.substr(scope + 2));
        if (r) return std::move(r.value());
        swallowed_ = r.error();
        if (swallowed_->message.empty()) swallowed_->message = defaultMessage(swallowed_->code);
        return Value::text("?");
    }

    Value evalCall(const Node& node) {
        const Builtin& builtin = *node.builtin;
        const auto& args = node.children;
        switch (builtin.special) {
            case Special::None: {
                const std::vector<Value> values = evalAll(node);
                return builtin.fn(values, site(node));
            }
            case Special::SetPrecision: {
                const long long digits = fnutil::integer(eval(*args[1]));
                const auto precision =
                    static_cast<std::int32_t>(std::clamp<long long>(digits, kMinPrecision, kMaxPrecision));
                return with(precision_, precision, [&] { return eval(*args[0]); });
            }
            case Special::SetRecursion: {
                const long long limit = std::clamp<long long>(fnutil::integer(eval(*args[1])), 0, kMaxIterationLimit);
                return with(maxIterations_, limit, [&] { return eval(*args[0]); });
            }
            case Special::GetField: return evalGetField(node);
            case Special::If: {
                if (eval(*args[0]).truth()) return eval(*args[1]);
                return args.size() > 2 ? eval(*args[2]) : Value::text("");
            }
            case Special::Case: {
                std::size_t i = 0;
                for (; i + 1 < args.size(); i += 2) {
                    if (eval(*args[i]).truth()) return eval(*args[i + 1]);
                }
                return i < args.size() ? eval(*args[i]) : Value::text("");
            }
            case Special::Choose: {
                const auto n = eval(*args[0]).toNumber();
                if (!n) return Value::text("");
                const long long index = n->to_int64();
                if (index < 0 || static_cast<unsigned long long>(index) + 1 >= args.size()) return Value::text("");
                return eval(*args[static_cast<std::size_t>(index) + 1]);
            }
            case Special::IsEmpty: {
                try {
                    return Value::boolean(eval(*args[0]).isEmpty());
                } catch (const CalcError&) {
                    return Value::boolean(true);
                }
            }
            case Special::IsValid: {
                try {
                    const Value v = eval(*args[0]);
                    return Value::boolean(!(v.type() == Type::Text && v.toText() == "?"));
                } catch (const CalcError&) {
                    return Value::boolean(false);
                }
            }
            case Special::Evaluate: {
                const Value text = eval(*args[0]);
                try {
                    const std::u32string source = utf8::decode(text.toText());
                    auto tree = parse(source, context_);
                    if (!tree) throw tree.error();
                    return eval(*tree.value());
                } catch (const CalcError& e) {
                    swallowed_ = e;
                    return Value::text("?");
                }
            }
            case Special::EvaluationError: {
                const auto saved = swallowed_;
                swallowed_.reset();
                int code = 0;
                try {
                    eval(*args[0]);
                    if (swallowed_) code = swallowed_->code;
                } catch (const CalcError& e) {
                    code = e.code;
                }
                swallowed_ = saved;
                return Value::number(std::int64_t{code});
            }
            case Special::Lists: {
                std::vector<Value> values;
                values.push_back(eval(*args[0]));
                for (std::size_t i = 1; i < args.size(); ++i) {
                    if (args[i]->kind == NodeKind::List) {
                        for (const auto& item : args[i]->children) values.push_back(eval(*item));
                    } else {
                        values.push_back(eval(*args[i]));
                    }
                }
                return builtin.fn(values, site(node));
            }
            case Special::Let:
            case Special::While:
            case Special::Get: break;  // parsed into their own nodes
        }
        throw CalcError(err::Generic, "Unknown function", node.pos);
    }

    Context& context_;
    std::vector<std::pair<std::u32string, Value>> locals_;
    std::optional<CalcError> swallowed_;
    std::int32_t precision_ = kDefaultPrecision;
    long long maxIterations_ = kDefaultIterationLimit;
};

Result evaluateSource(std::u32string_view source, Context& context) {
    try {
        auto tree = parse(source, context);
        if (!tree) return tree.error();
        Evaluator evaluator(context);
        return evaluator.eval(*tree.value());
    } catch (CalcError& e) {
        if (e.message.empty()) e.message = defaultMessage(e.code);
        return std::move(e);
    } catch (const std::bad_alloc&) {
        return CalcError(err::Generic, "Out of memory while evaluating the calculation", 0);
    } catch (...) {
        return CalcError(err::Generic, "The calculation failed", 0);
    }
}

}  // namespace

Result evaluate(std::string_view text, Context& context) {
    try {
        return evaluateSource(utf8::decode(text), context);
    } catch (...) {
        return CalcError(err::Generic, "Out of memory while evaluating the calculation", 0);
    }
}

Result evaluate(std::u16string_view text, Context& context) {
    try {
        const std::u32string source = utf8::decode(utf8::fromUtf16(text));
        Result result = evaluateSource(source, context);
        if (!result && result.error().position != kNoPosition) {
            // Count UTF-16 code units up to the error's character.
            std::size_t& pos = result.error().position;
            std::size_t units = 0;
            for (std::size_t i = 0; i < pos && i < source.size(); ++i) units += source[i] >= 0x10000 ? 2 : 1;
            pos = units;
        }
        return result;
    } catch (...) {
        return CalcError(err::Generic, "Out of memory while evaluating the calculation", 0);
    }
}

std::optional<CalcError> check(std::string_view text, Context& context) {
    try {
        auto tree = parse(utf8::decode(text), context);
        if (!tree) return tree.error();
        return std::nullopt;
    } catch (...) {
        return CalcError(err::Generic, "Out of memory while checking the calculation", 0);
    }
}

}  // namespace calc
