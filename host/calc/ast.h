// The parsed form of a calculation.
#ifndef CALC_AST_H
#define CALC_AST_H

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "calc/context.h"
#include "calc/value.h"

namespace calc {

struct Builtin;
struct Node;
using NodePtr = std::unique_ptr<Node>;

enum class NodeKind {
    Literal,   // value
    Field,     // table (empty for a bare name, which a Let name may shadow), name
    Variable,  // name ($x or $$x)
    Unary,     // op (Minus, Plus, Not), children[0]
    Chain,     // operators of one precedence level, applied left to right:
               // children[0] ops[0] children[1] ops[1] children[2] ...
    Call,      // builtin, children = arguments
    External,  // external, children = arguments
    Let,       // bindings, children[0] = body
    While,     // bindings (initial), logic, children[0] = condition, children[1] = result
    Get,       // getName
    List,      // [ a ; b ; ... ]: children; only where a function allows it
};

enum class Op { Plus, Minus, Times, Divide, Power, Concat, Eq, Ne, Lt, Gt, Le, Ge, And, Or, Xor, Not };

struct Binding {
    std::string name;  // a plain name, $name or $$name
    NodePtr value;
    std::size_t pos = 0;
};

struct Node {
    NodeKind kind = NodeKind::Literal;
    std::size_t pos = 0;  // first character of the construct
    std::size_t end = 0;  // one past its last character
    Value value;
    std::string table;
    std::string name;
    Op op = Op::Plus;
    std::vector<Op> ops;
    std::vector<std::size_t> opPositions;
    std::vector<NodePtr> children;
    std::vector<Binding> bindings;
    std::vector<Binding> logic;
    const Builtin* builtin = nullptr;
    ExternalFunction external;
    GetName getName = GetName::RecordNumber;
};

}  // namespace calc

#endif
