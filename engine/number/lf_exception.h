#pragma once

#include <exception>
#include <string>

namespace tallix {

// One evaluation error: a number and a fixed Japanese message. Only the line
// evaluator catches it and turns it into "ERR<code>: <message>".
class lf_exception : public std::exception {
  public:
    lf_exception(int code, const char* message);
    lf_exception(const lf_exception&) = default;
    lf_exception& operator=(const lf_exception&) = default;
    ~lf_exception() override;

    int code() const { return code_; }
    const char* what() const noexcept override { return message_.c_str(); }

  private:
    int code_;
    std::string message_;
};

// Every error the program can report. Where one number has several texts,
// each raising function has its own entry so the first raising site is the
// one the user sees.
struct error_text {
    int code;
    const char* message;
};

namespace errors {
inline constexpr error_text syntax{1, "構文エラー"};
inline constexpr error_text interrupted{2, "計算を中断しました"};
inline constexpr error_text argument_count{3, "引数の数が違う"};
inline constexpr error_text assign_to_function{4, "関数には代入できない"};
// Not raised by arithmetic: a line that ends in an exception of another kind
// shows one of these, and the program carries on.
inline constexpr error_text internal_error{5, "内部エラー"};
inline constexpr error_text out_of_memory{1002, "メモリ不足"};
inline constexpr error_text eps_of_zero{10, "eps(0)は評価できない"};
inline constexpr error_text tan_pole{11, "tan()の評価"};
inline constexpr error_text overflow{1001, "オーバーフロー"};
inline constexpr error_text division_by_zero{3001, "0除算"};
inline constexpr error_text negative_to_fraction{3002, "負数の非整数乗"};
inline constexpr error_text zero_to_nonpositive{3003, "0の非整数乗"};
inline constexpr error_text log_domain{3004, "log()の実引数が0か負"};
inline constexpr error_text log10_domain{3004, "log10()の実引数が0か負"};
inline constexpr error_text log2_domain{3004, "log2()の実引数が0か負"};
inline constexpr error_text sqr_domain{3005, "sqr()の実引数が負"};
inline constexpr error_text mod_by_zero{3006, "mod()の除数が0"};
inline constexpr error_text remainder_by_zero{3006, "remainder()の除数が0"};
inline constexpr error_text arccos_domain{3007, "acos(x)の実引数が-1<=x<=+1でない"};
inline constexpr error_text arcsin_domain{3007, "arcsin(x)の実引数が-1<=x<=+1にない"};
inline constexpr error_text angle_of_origin{3008, "angle(0, 0)は評価できない"};
inline constexpr error_text uninitialised_variable{3101, "初期化されていない変数"};

// The whole table, for checks that an error line is one of these.
inline constexpr error_text all[] = {
    syntax,
    interrupted,
    argument_count,
    assign_to_function,
    internal_error,
    eps_of_zero,
    tan_pole,
    overflow,
    out_of_memory,
    division_by_zero,
    negative_to_fraction,
    zero_to_nonpositive,
    log_domain,
    log10_domain,
    log2_domain,
    sqr_domain,
    mod_by_zero,
    remainder_by_zero,
    arccos_domain,
    arcsin_domain,
    angle_of_origin,
    uninitialised_variable,
};
}  // namespace errors

// Throws the error as an lf_exception by value.
[[noreturn]] void raise(const error_text& error);

}  // namespace tallix
