#include "calc/parser.h"

#include <utility>

#include "calc/builtins.h"
#include "calc/lexer.h"
#include "calc/utf8.h"

namespace calc {

namespace {

constexpr int kPrecOr = 1;
constexpr int kPrecXor = 2;
constexpr int kPrecAnd = 3;
constexpr int kPrecCompare = 5;  // "not" stands between "and" and the comparisons
constexpr int kPrecConcat = 6;
constexpr int kPrecAdd = 7;
constexpr int kPrecMultiply = 8;
constexpr int kPrecPower = 9;

struct BinaryOp {
    Op op;
    int prec;
};

std::optional<BinaryOp> binaryOp(Tok kind) {
    switch (kind) {
        case Tok::Or: return BinaryOp{Op::Or, kPrecOr};
        case Tok::Xor: return BinaryOp{Op::Xor, kPrecXor};
        case Tok::And: return BinaryOp{Op::And, kPrecAnd};
        case Tok::Eq: return BinaryOp{Op::Eq, kPrecCompare};
        case Tok::Ne: return BinaryOp{Op::Ne, kPrecCompare};
        case Tok::Lt: return BinaryOp{Op::Lt, kPrecCompare};
        case Tok::Gt: return BinaryOp{Op::Gt, kPrecCompare};
        case Tok::Le: return BinaryOp{Op::Le, kPrecCompare};
        case Tok::Ge: return BinaryOp{Op::Ge, kPrecCompare};
        case Tok::Amp: return BinaryOp{Op::Concat, kPrecConcat};
        case Tok::Plus: return BinaryOp{Op::Plus, kPrecAdd};
        case Tok::Minus: return BinaryOp{Op::Minus, kPrecAdd};
        case Tok::Star: return BinaryOp{Op::Times, kPrecMultiply};
        case Tok::Slash: return BinaryOp{Op::Divide, kPrecMultiply};
        case Tok::Caret: return BinaryOp{Op::Power, kPrecPower};
        default: return std::nullopt;
    }
}

int precedenceOf(Op op) {
    switch (op) {
        case Op::Or: return kPrecOr;
        case Op::Xor: return kPrecXor;
        case Op::And: return kPrecAnd;
        case Op::Concat: return kPrecConcat;
        case Op::Plus:
        case Op::Minus: return kPrecAdd;
        case Op::Times:
        case Op::Divide: return kPrecMultiply;
        case Op::Power: return kPrecPower;
        case Op::Not: return 4;
        default: return kPrecCompare;
    }
}

std::string lowered(std::string_view s) {
    std::string out(s);
    for (auto& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return out;
}

class Parser {
public:
    Parser(std::u32string_view source, std::vector<Token> tokens, Context& context)
        : source_(source), tokens_(std::move(tokens)), context_(context) {}

    NodePtr parseAll() {
        if (cur().kind == Tok::End) {
            auto node = makeNode(NodeKind::Literal, 0);
            node->value = Value::text("");
            return node;
        }
        NodePtr node = parseExpr(kPrecOr);
        if (cur().kind == Tok::RParen) {
            fail(err::UnbalancedParenthesis, "Unbalanced parenthesis: no \"(\" for this \")\"", cur().pos);
        }
        if (cur().kind != Tok::End) expectedOperator();
        return node;
    }

private:
    const Token& cur() const { return tokens_[index_]; }
    const Token& peek(std::size_t ahead = 1) const {
        return tokens_[std::min(index_ + ahead, tokens_.size() - 1)];
    }
    void advance() {
        if (index_ + 1 < tokens_.size()) ++index_;
    }

    [[noreturn]] void fail(int code, std::string message, std::size_t pos) const {
        throw CalcError(code, std::move(message), pos);
    }

    [[noreturn]] void unclosed(std::size_t open) const {
        fail(err::UnbalancedParenthesis, "Unbalanced parenthesis: this \"(\" is not closed", open);
    }

    [[noreturn]] void expectedOperator() const {
        fail(err::OperatorExpected, "An operator (for example +, -, *) is expected here, not " + describe(cur()),
             cur().pos);
    }

    [[noreturn]] void expectedOperand() const {
        if (cur().kind == Tok::End) fail(err::UnexpectedEnd, "Unexpected end of calculation", cur().pos);
        if (cur().kind == Tok::LBracket) {
            fail(err::ListNotAllowed, "List usage is not allowed in this function", cur().pos);
        }
        fail(err::OperandExpected, "Number, text constant, field name or \"(\" expected, not " + describe(cur()),
             cur().pos);
    }

    NodePtr makeNode(NodeKind kind, std::size_t pos) const {
        auto node = std::make_unique<Node>();
        node->kind = kind;
        node->pos = pos;
        node->end = pos;
        return node;
    }

    // Counts nesting on the way into a nested construct.
    struct DepthGuard {
        Parser& parser;
        DepthGuard(Parser& p, std::size_t pos) : parser(p) {
            if (++parser.depth_ > kMaxNesting) {
                parser.fail(err::Generic, "The calculation is nested too deeply", pos);
            }
        }
        ~DepthGuard() { --parser.depth_; }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;
    };

    NodePtr parseExpr(int minPrec) {
        NodePtr left = parsePrefix();
        for (;;) {
            const auto bin = binaryOp(cur().kind);
            if (!bin || bin->prec < minPrec) break;
            const std::size_t opPos = cur().pos;
            advance();
            NodePtr right = parseExpr(bin->prec + 1);
            const std::size_t end = right->end;
            if (left->kind != NodeKind::Chain || precedenceOf(left->ops.front()) != bin->prec) {
                auto chain = makeNode(NodeKind::Chain, left->pos);
                chain->children.push_back(std::move(left));
                left = std::move(chain);
            }
            left->ops.push_back(bin->op);
            left->opPositions.push_back(opPos);
            left->children.push_back(std::move(right));
            left->end = end;
        }
        return left;
    }

    NodePtr parsePrefix() {
        DepthGuard guard(*this, cur().pos);
        const Token& t = cur();
        if (t.kind == Tok::Minus || t.kind == Tok::Plus || t.kind == Tok::Not) {
            auto node = makeNode(NodeKind::Unary, t.pos);
            node->op = t.kind == Tok::Minus ? Op::Minus : (t.kind == Tok::Plus ? Op::Plus : Op::Not);
            const bool isNot = t.kind == Tok::Not;
            advance();
            node->children.push_back(isNot ? parseExpr(kPrecCompare) : parsePrefix());
            node->end = node->children.back()->end;
            return node;
        }
        return parsePrimary();
    }

    NodePtr parsePrimary() {
        const Token& t = cur();
        switch (t.kind) {
            case Tok::Number: {
                auto node = makeNode(NodeKind::Literal, t.pos);
                const auto number = parseNumber(t.text);
                if (!number) fail(err::OperandExpected, "Invalid number " + t.text, t.pos);
                node->value = Value::number(*number);
                node->end = t.end;
                advance();
                return node;
            }
            case Tok::Text: {
                auto node = makeNode(NodeKind::Literal, t.pos);
                node->value = Value::text(t.text);
                node->end = t.end;
                advance();
                return node;
            }
            case Tok::Variable: {
                auto node = makeNode(NodeKind::Variable, t.pos);
                node->name = t.text;
                node->end = t.end;
                advance();
                return node;
            }
            case Tok::LParen: {
                const std::size_t open = t.pos;
                advance();
                NodePtr inner = parseExpr(kPrecOr);
                if (cur().kind == Tok::End) {
                    unclosed(open);
                }
                if (cur().kind != Tok::RParen) expectedOperator();
                advance();
                return inner;
            }
            case Tok::Name: return parseName();
            default: expectedOperand();
        }
    }

    bool isQuotedName(const Token& t) const {
        return t.kind == Tok::Name && t.pos < source_.size() && source_[t.pos] == '$';
    }

    // A name of one or more words: "First Name" is one field name.
    std::string readWords(std::size_t& end) {
        std::string name = cur().text;
        end = cur().end;
        const bool quoted = isQuotedName(cur());
        advance();
        if (quoted) return name;
        while ((cur().kind == Tok::Name && !isQuotedName(cur())) ||
               (cur().kind == Tok::Number && cur().text.find_first_not_of("0123456789") == std::string::npos)) {
            name += ' ';
            name += cur().text;
            end = cur().end;
            advance();
        }
        return name;
    }

    NodePtr parseName() {
        const Token first = cur();
        if (peek().kind == Tok::LParen && !isQuotedName(first)) return parseCall(first);
        std::size_t end = 0;
        std::string name = readWords(end);
        auto node = makeNode(NodeKind::Field, first.pos);
        if (cur().kind == Tok::Scope) {
            advance();
            if (cur().kind != Tok::Name) fail(err::NameMissing, "A field name is expected after \"::\"", cur().pos);
            node->table = std::move(name);
            name = readWords(end);
        }
        if (cur().kind == Tok::LParen) {
            fail(err::FunctionNotFound, "The function \"" + name + "\" cannot be found", first.pos);
        }
        if (node->table.empty() && !isQuotedName(first)) {
            // Pi, Random and the JSON type names are written without
            // parentheses; so is a plug-in function that takes no arguments.
            const Builtin* builtin = findBuiltin(name);
            if (builtin && isConstant(*builtin)) {
                node->kind = NodeKind::Call;
                node->builtin = builtin;
            } else if (auto external = context_.findExternal(name); external && external->minArgs <= 0) {
                node->kind = NodeKind::External;
                node->external = std::move(*external);
                name = node->external.name;
            }
        }
        node->name = std::move(name);
        node->end = end;
        return node;
    }

    NodePtr parseCall(const Token& nameToken) {
        const std::string lname = lowered(nameToken.text);
        advance();  // the name; cur() is now "("
        if (lname == "let") return parseLet(nameToken);
        if (lname == "while") return parseWhile(nameToken);
        if (lname == "get") return parseGet(nameToken);
        if (const Builtin* builtin = findBuiltin(nameToken.text)) {
            auto node = makeNode(NodeKind::Call, nameToken.pos);
            node->builtin = builtin;
            node->name = std::string(builtin->name);
            const int listFrom = builtin->special == Special::Lists || builtin->special == Special::Evaluate ? 1 : -1;
            const std::size_t close = parseArguments(*node, listFrom);
            if (builtin->special == Special::Lists) {
                checkLists(*node, builtin->listArity, close);
            } else {
                checkCount(*node, builtin->minArgs, builtin->maxArgs, close);
            }
            return node;
        }
        if (auto external = context_.findExternal(nameToken.text)) {
            auto node = makeNode(NodeKind::External, nameToken.pos);
            node->external = std::move(*external);
            node->name = node->external.name;
            const std::size_t close = parseArguments(*node, -1);
            checkCount(*node, node->external.minArgs, node->external.maxArgs, close);
            return node;
        }
        fail(err::FunctionNotFound, "The function \"" + nameToken.text + "\" cannot be found", nameToken.pos);
    }

    // Arguments between "(" and ")"; returns the position of the ")".
    // Arguments from index listFrom on may be bracketed lists.
    std::size_t parseArguments(Node& node, int listFrom) {
        const std::size_t open = cur().pos;
        advance();
        if (cur().kind == Tok::RParen) {
            const std::size_t close = cur().pos;
            node.end = cur().end;
            advance();
            return close;
        }
        for (;;) {
            const bool listAllowed = listFrom >= 0 && node.children.size() >= static_cast<std::size_t>(listFrom);
            if (cur().kind == Tok::LBracket && listAllowed) {
                node.children.push_back(parseList());
            } else {
                node.children.push_back(parseExpr(kPrecOr));
            }
            if (cur().kind == Tok::Separator) {
                advance();
                continue;
            }
            if (cur().kind == Tok::RParen) {
                const std::size_t close = cur().pos;
                node.end = cur().end;
                advance();
                return close;
            }
            if (cur().kind == Tok::End) {
                unclosed(open);
            }
            expectedOperator();
        }
    }

    NodePtr parseList() {
        DepthGuard guard(*this, cur().pos);
        auto node = makeNode(NodeKind::List, cur().pos);
        const std::size_t open = cur().pos;
        advance();
        if (cur().kind == Tok::RBracket) {
            node->end = cur().end;
            advance();
            return node;
        }
        for (;;) {
            if (cur().kind == Tok::LBracket) {
                fail(err::ListNotAllowed, "List usage is not allowed in this function", cur().pos);
            }
            node->children.push_back(parseExpr(kPrecOr));
            if (cur().kind == Tok::Separator) {
                advance();
                continue;
            }
            if (cur().kind == Tok::RBracket) {
                node->end = cur().end;
                advance();
                return node;
            }
            if (cur().kind == Tok::End) fail(err::UnbalancedParenthesis, "This \"[\" is not closed with \"]\"", open);
            expectedOperator();
        }
    }

    void checkCount(const Node& node, int minArgs, int maxArgs, std::size_t close) const {
        const auto n = static_cast<int>(node.children.size());
        if (n < minArgs) {
            fail(err::TooFewParameters, "Too few parameters in the function " + node.name, close);
        }
        if (maxArgs >= 0 && n > maxArgs) {
            fail(err::TooManyParameters, "Too many parameters in the function " + node.name,
                 node.children[static_cast<std::size_t>(maxArgs)]->pos);
        }
    }

    // Name ( first ; a ; b ) or Name ( first ; [ a ; b ] ; [ c ; d ] ... )
    // with `arity` items per list: Substitute (2) and JSONSetElement (3).
    void checkLists(const Node& node, int arity, std::size_t close) const {
        const auto& args = node.children;
        const auto items = static_cast<std::size_t>(arity);
        if (args.size() >= 2 && args[1]->kind == NodeKind::List) {
            for (std::size_t i = 1; i < args.size(); ++i) {
                const Node& list = *args[i];
                if (list.kind != NodeKind::List) {
                    fail(err::OperandExpected, "A list [ ... ] is expected here", list.pos);
                }
                if (list.children.size() < items) {
                    fail(err::TooFewParameters, "Too few parameters in the function " + node.name, list.end - 1);
                }
                if (list.children.size() > items) {
                    fail(err::TooManyParameters, "Too many parameters in the function " + node.name,
                         list.children[items]->pos);
                }
            }
            return;
        }
        for (std::size_t i = 1; i < args.size(); ++i) {
            if (args[i]->kind == NodeKind::List) {
                fail(err::ListNotAllowed, "List usage is not allowed in this function", args[i]->pos);
            }
        }
        if (args.size() < items + 1) fail(err::TooFewParameters, "Too few parameters in the function " + node.name, close);
        if (args.size() > items + 1) {
            fail(err::TooManyParameters, "Too many parameters in the function " + node.name, args[items + 1]->pos);
        }
    }

    // [ a = 1 ; $b = 2 ; $$c = 3 ] or a = 1.
    std::vector<Binding> parseBindings() {
        std::vector<Binding> bindings;
        if (cur().kind != Tok::LBracket) {
            bindings.push_back(parseBinding());
            return bindings;
        }
        const std::size_t bracket = cur().pos;
        advance();
        for (;;) {
            bindings.push_back(parseBinding());
            if (cur().kind == Tok::Separator) {
                advance();
                continue;
            }
            if (cur().kind == Tok::RBracket) {
                advance();
                return bindings;
            }
            if (cur().kind == Tok::End) {
                fail(err::UnbalancedParenthesis, "This \"[\" is not closed with \"]\"", bracket);
            }
            expectedOperator();
        }
    }

    // Expects the ";" before the next argument of a function of fixed form.
    void expectSeparator(std::size_t open, const std::string& name) {
        if (cur().kind == Tok::RParen) {
            fail(err::TooFewParameters, "Too few parameters in the function " + name, cur().pos);
        }
        if (cur().kind == Tok::End) unclosed(open);
        if (cur().kind != Tok::Separator) expectedOperator();
        advance();
    }

    // Expects the ")" after the last argument of a function of fixed form.
    void expectClose(Node& node, std::size_t open) {
        if (cur().kind == Tok::Separator) {
            fail(err::TooManyParameters, "Too many parameters in the function " + node.name, peek().pos);
        }
        if (cur().kind == Tok::End) unclosed(open);
        if (cur().kind != Tok::RParen) expectedOperator();
        node.end = cur().end;
        advance();
    }

    // Let ( [ a = 1 ; $b = 2 ; $$c = 3 ] ; body ) or Let ( a = 1 ; body ).
    NodePtr parseLet(const Token& nameToken) {
        auto node = makeNode(NodeKind::Let, nameToken.pos);
        node->name = "Let";
        const std::size_t open = cur().pos;
        advance();
        node->bindings = parseBindings();
        expectSeparator(open, node->name);
        node->children.push_back(parseExpr(kPrecOr));
        expectClose(*node, open);
        return node;
    }

    // While ( [ initial bindings ] ; condition ; [ logic bindings ] ; result ),
    // each list of bindings also as a single one.
    NodePtr parseWhile(const Token& nameToken) {
        auto node = makeNode(NodeKind::While, nameToken.pos);
        node->name = "While";
        const std::size_t open = cur().pos;
        advance();
        node->bindings = parseBindings();
        expectSeparator(open, node->name);
        node->children.push_back(parseExpr(kPrecOr));
        expectSeparator(open, node->name);
        node->logic = parseBindings();
        expectSeparator(open, node->name);
        node->children.push_back(parseExpr(kPrecOr));
        expectClose(*node, open);
        return node;
    }

    Binding parseBinding() {
        Binding binding;
        binding.pos = cur().pos;
        if ((cur().kind != Tok::Name && cur().kind != Tok::Variable) || isQuotedName(cur())) {
            if (cur().kind == Tok::End) fail(err::UnexpectedEnd, "Unexpected end of calculation", cur().pos);
            fail(err::NameMissing, "A variable name is expected here, not " + describe(cur()), cur().pos);
        }
        binding.name = cur().text;
        advance();
        if (cur().kind != Tok::Eq) {
            if (cur().kind == Tok::End) fail(err::UnexpectedEnd, "Unexpected end of calculation", cur().pos);
            fail(err::OperatorExpected, "\"=\" is expected after the variable name " + binding.name, cur().pos);
        }
        advance();
        binding.value = parseExpr(kPrecOr);
        return binding;
    }

    // Get ( name ): the name is a keyword, not an expression.
    NodePtr parseGet(const Token& nameToken) {
        auto node = makeNode(NodeKind::Get, nameToken.pos);
        const std::size_t open = cur().pos;
        advance();
        if (cur().kind == Tok::End) unclosed(open);
        if (cur().kind == Tok::RParen) {
            fail(err::TooFewParameters, "Too few parameters in the function Get", cur().pos);
        }
        const auto which = cur().kind == Tok::Name ? getNameFromText(cur().text) : std::nullopt;
        if (!which) {
            fail(err::InvalidGetParameter, "This parameter is an invalid Get function parameter: " + describe(cur()),
                 cur().pos);
        }
        node->getName = *which;
        node->name = getNameText(*which);
        advance();
        if (cur().kind == Tok::Separator) {
            fail(err::TooManyParameters, "Too many parameters in the function Get", peek().pos);
        }
        if (cur().kind == Tok::End) unclosed(open);
        if (cur().kind != Tok::RParen) expectedOperator();
        node->end = cur().end;
        advance();
        return node;
    }

    std::u32string_view source_;
    std::vector<Token> tokens_;
    Context& context_;
    std::size_t index_ = 0;
    int depth_ = 0;
};

}  // namespace

Outcome<NodePtr> parse(std::u32string_view text, Context& context) {
    auto tokens = tokenize(text);
    if (!tokens) return tokens.error();
    try {
        Parser parser(text, std::move(tokens.value()), context);
        return parser.parseAll();
    } catch (CalcError& e) {
        return std::move(e);
    }
}

}  // namespace calc
