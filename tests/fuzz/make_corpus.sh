#!/usr/bin/env bash
# Writes the seed corpora of the fuzz targets. The files are committed; run this
# again only to change a seed. Bytes are spelled out with printf so that every
# CR, NUL and invalid CP932 byte is visible here; Japanese text goes through
# glibc's CP932 table (the Windows one).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
acd="$here/corpus/acdreader"
num="$here/corpus/leadingnumber"
cp="$here/corpus/cp932"
mkdir -p "$acd" "$num" "$cp"

cp932() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

integers='ReplyUser=0\r\nSmtpPort=25\r\nPopPort=110\r\nPopStock=0\r\nPopStockDays=3\r\nPopWarning=0\r\nPopWarningSize=300\r\nLineLength=76\r\nSmtpAttestationPop=0\r\nPopAttestation=0\r\n'

# What the tool writes for an untouched account: the header and ten integers.
printf "[AccountSection]\r\n$integers" >"$acd/default-eleven-lines.acd"

# Every field set, Japanese where a person would write it.
{
    printf '[AccountSection]\r\n'
    printf 'Title='; cp932 '山田家のメール①'; printf '\r\n'
    printf 'Smtp=smtp.example.ne.jp\r\n'
    printf 'Pop=pop.example.ne.jp\r\n'
    printf 'PopUser=yamada-taro\r\n'
    printf 'Poppass=pa=ss～word\r\n' | iconv -f UTF-8 -t CP932
    printf 'FromName='; cp932 '山田　太郎'; printf '\r\n'
    printf 'FromMail=taro@example.ne.jp\r\n'
    printf 'ReplyUser=1\r\nSmtpPort=587\r\nPopPort=995\r\nPopStock=1\r\nPopStockDays=14\r\n'
    printf 'PopWarning=1\r\nPopWarningSize=5120\r\nLineLength=72\r\nSmtpAttestationPop=1\r\nPopAttestation=1\r\n'
    printf 'ReplyMail='; cp932 '髙橋 <hanako@example.jp>'; printf '\r\n'
} >"$acd/japanese-account.acd"

printf '[AccountSection]\r\n  Smtp  =  mail.example.jp  \r\n\tPop =\tpop.example.jp\t\r\n' >"$acd/blanks-around-key.acd"
printf '[AccountSection]\r\nsmtp=mail.example.jp\r\nPOPPORT=995\r\nSmtp=kept\r\n' >"$acd/lower-case-key.acd"
printf '[AccountSection]\r\nPoppass= a=b==c= \r\n=orphan\r\nFromMail==x@example.jp\r\n' >"$acd/equals-in-value.acd"
printf '[AccountSection]\r\nPopPort=\r\nSmtpPort=   \r\n' >"$acd/empty-integer.acd"
printf '[AccountSection]\r\nPopPort=abc\r\nSmtpPort=587abc\r\nLineLength=&H4C\r\nPopStockDays=&O17\r\nPopWarningSize=1e3\r\n' >"$acd/non-numeric-integer.acd"
printf '[AccountSection]\r\nLineLength=80.5\r\nPopStockDays=3.5\r\nReplyUser=-2.5\r\n' >"$acd/eighty-and-a-half.acd"
printf '[AccountSection]\r\nTitle=before\r\nSmtpPort=99999999999\r\nPop=after\r\n' >"$acd/eleven-nines.acd"
printf '[AccountSection]\r\nPop=first\r\nSmtpPort=1\r\nPop=second\r\nSmtpPort=2\r\n' >"$acd/duplicate-key.acd"
printf 'Title=no header\r\nPopPort=995\r\n[Other]\r\nSmtp=still read\r\n' >"$acd/no-header.acd"
printf '[AccountSection]\rTitle=a\rPop=b\rSmtpPort=1\r' >"$acd/lone-cr.acd"
printf '[AccountSection]\nTitle=a\nPop=b\n\rSmtpPort=1' >"$acd/lone-lf.acd"
{
    printf '[AccountSection]\r\nSmtp=a\0b\r\nSm\0tp=x\r\n'
    head -c 512 /dev/zero
    printf '\r\nPopPort=\0 110\r\n'
} >"$acd/nul-bytes.acd"
# 80, A0, FD-FF are no CP932 characters; 81 followed by "=" or CR is a broken
# pair that must not swallow the "=" or the line end; 82 at the very end is a
# lead byte cut off; 85 41 and EB 40 are unassigned pairs whose ASCII second
# byte must survive.
printf '[AccountSection]\r\nTitle=\x80\xa0\xfd\xfe\xff\r\nSmtp\x81=\x81\r\nPop=\x81\x20\x81\x7f\r\nPopUser=\x85\x41\xeb\x40\r\nFromName=\x82\xa0\x82' >"$acd/invalid-cp932.acd"

# leadingnumber: first byte even = Latin-1 text follows.
printf '\x00587abc' >"$num/letters-after"
printf '\x00 &H4C' >"$num/hex"
printf '\x00&O17' >"$num/octal"
printf '\x00 - 2.5' >"$num/negative-half"
printf '\x0015E-1' >"$num/exponent"
printf '\x002D2' >"$num/d-exponent"
printf '\x0099999999999' >"$num/eleven-nines"
printf '\x002147483647.5' >"$num/just-out-of-range"
printf '\x00.5e1' >"$num/leading-point"
printf '\x00&H80000000' >"$num/hex-just-too-large"
printf '\x00&o20000000000' >"$num/octal-just-too-large"
printf '\x00&H00000000000000007FFFFFFF' >"$num/hex-leading-zeros"
printf '\x00.6?1#' >"$num/point-six-rounds-up"
# first byte odd = UTF-16 follows: full-width "12"; a digit before lone
# surrogates.
printf '\x01\x11\xff\x12\xff' >"$num/fullwidth-digits"
printf '\x012\x00\xdd\xdd\xdd\xdd\xcf\xfb' >"$num/digit-then-lone-surrogates"

# cp932: first byte even = UTF-8 text follows; the whole input is also decoded.
{ printf '\x00'; printf '山田 太郎=①～〜−髙ｱ'; } >"$cp/utf8-japanese"
{ printf '\x02'; cp932 '山田 太郎=①～髙ｱ'; } >"$cp/cp932-japanese"
printf '\x04\x81\x0d\x0a\x81=\x80\xa0\xfd\xfe\xff\xed\x40\xfa\x5c\x82' >"$cp/invalid-bytes"
printf '\x01\x00\xd8\x41\x00\x3d\xd8\x00\xde' >"$cp/utf16-surrogates"
