/* The language of one line. Each rule's action runs when the rule is reduced,
   so a line is evaluated while it is parsed; which error a faulty line shows
   follows from the order of those reductions, with one token of look-ahead and
   default reductions. Keep the rules, their order and the parser's defaults. */

%code top {
#include "engine/language/parser_stack.h"
}

%code requires {
#include "engine/language/node.h"
}

%code {
#include "engine/language/grammar_actions.h"
#include "engine/language/engine_state.h"
#include "engine/language/parser.h"
#include "engine/language/scanner.h"

#define YYMALLOC tallix::parser_stack_alloc
#define YYFREE tallix::parser_stack_free

int tallix_yylex(TALLIX_YYSTYPE* value);
void tallix_yyerror(const char* message);
}

%define api.prefix {tallix_yy}
%define api.pure full
%define api.token.prefix {TOK_}

%union {
    tallix::ValueNode* value;
    tallix::NameEntry* name;
    int sign;
}

%token <name> NEW 258 VAR 259 FUNC 260 KIND3 261
%token <value> NUMBER 262
/* Codes that belong to the token set but are never produced. */
%token CODE263 263 CODE264 264 CODE265 265 CODE266 266 CODE267 267 CODE268 268 CODE269 269
%token CODE270 270 CODE271 271 CODE272 272 CODE273 273 CODE274 274 CODE275 275 CODE276 276
%token EOL 277

%type <value> expr term factor primary call
%type <sign> opt_sign

%%

input
    : line EOL
    ;

line
    : expr                      { tallix::print_value($1); }
    | assignment
    | %empty
    ;

assignment
    : NEW '=' expr              { tallix::assign_new($1, $3); }
    | VAR '=' expr              { tallix::assign_variable($1, $3); }
    | FUNC '=' expr             { tallix::refuse_function_assignment(); }
    | KIND3 '=' expr            { tallix::refuse_function_assignment(); }
    ;

expr
    : term                      { $$ = $1; }
    | '+' term                  { $$ = $2; }
    | '-' term                  { $$ = tallix::negate($2); }
    | expr '+' opt_sign term    { $$ = tallix::add($1, $3, $4); }
    | expr '-' opt_sign term    { $$ = tallix::subtract($1, $3, $4); }
    ;

term
    : factor                    { $$ = $1; }
    | term '*' opt_sign factor  { $$ = tallix::multiply($1, $3, $4); }
    | term '/' opt_sign factor  { $$ = tallix::divide($1, $3, $4); }
    ;

factor
    : primary                   { $$ = $1; }
    | primary '^' opt_sign factor { $$ = tallix::power($1, $3, $4); }
    ;

primary
    : NUMBER                    { $$ = $1; }
    | NEW                       { tallix::refuse_unset_variable(); }
    | VAR                       { $$ = tallix::copy_variable($1); }
    | call                      { $$ = $1; }
    | '(' expr ')'              { $$ = $2; }
    ;

call
    : FUNC                      { $$ = tallix::call0($1); }
    | FUNC '(' expr ')'         { $$ = tallix::call1($1, $3); }
    | FUNC '(' expr ',' expr ')' { $$ = tallix::call2($1, $3, $5); }
    ;

opt_sign
    : '+'                       { $$ = +1; }
    | '-'                       { $$ = -1; }
    | %empty                    { $$ = +1; }
    ;

%%

int tallix_yylex(TALLIX_YYSTYPE* value) {
    tallix::Node* node = nullptr;
    int code = tallix::scanner.next_token(node);
    if (code == tallix::token::NUMBER) {
        value->value = static_cast<tallix::ValueNode*>(node);
    } else if (code >= tallix::token::NEW && code <= tallix::token::KIND3) {
        value->name = static_cast<tallix::NameEntry*>(node);
    }
    return code;
}

void tallix_yyerror(const char*) { tallix::report_syntax_error(); }

static_assert(TOK_NEW == tallix::token::NEW && TOK_VAR == tallix::token::VAR &&
              TOK_FUNC == tallix::token::FUNC && TOK_KIND3 == tallix::token::KIND3 &&
              TOK_NUMBER == tallix::token::NUMBER && TOK_EOL == tallix::token::EOL);

void tallix::parse_line() { tallix_yyparse(); }
