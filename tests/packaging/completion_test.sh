#!/usr/bin/env bash
# Runs the bash completion function on partial command lines, against a
# database of three registered sites and a profile folder, and compares the
# offered words.
#   completion_test.sh COMPLETION_SCRIPT
set -uo pipefail
script=$1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$XDG_DATA_HOME/zeravudez" "$XDG_CONFIG_HOME/zeravudez/engines"
# The site list as the program stores it: table names, "." as "_", "-" as "__".
sqlite3 "$XDG_DATA_HOME/zeravudez/web.db" \
  "create table website(web_name varchar(255)); insert into website values ('www_example_cn'), ('shop__demo_cn'), ('www_test_org');"
touch "$XDG_CONFIG_HOME/zeravudez/engines/"{example.json,baidu.json,.hidden.json,notes.txt}

# shellcheck source=/dev/null
source "$script"

# Completes LINE as bash would split it (a trailing space starts a new word,
# "=" is a word of its own) and prints the offered words, sorted, on one line.
complete_line() {
  local line=${1//=/ = }
  read -ra COMP_WORDS <<<"$line"
  [[ $1 == *" " || $1 == *= ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _zeravudez zeravudez "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd' '
}

failures=0
check() {
  local line=$1 expected=$2 got
  got=$(complete_line "$line")
  if [[ $got != "$expected" ]]; then
    echo "FAIL: '$line': expected '$expected', got '$got'"
    failures=$((failures + 1))
  fi
}

modes="--check --engines --export --help --test-engine --version"
check "zeravudez --ch" "--check"
check "zeravudez " "$modes"
check "zeravudez --" "$modes"
check "zeravudez --check --" "--again --index --json --mail --notify --pause --quiet"
check "zeravudez --check --json --" "--again --index --mail --notify --pause --quiet"
check "zeravudez --check " "shop-demo.cn www.example.cn www.test.org"
check "zeravudez --check www." "www.example.cn www.test.org"
check "zeravudez --check www.example.cn --pause 0 " "shop-demo.cn www.test.org"
check "zeravudez --check --pause=" ""
check "zeravudez --export " "shop-demo.cn www.example.cn www.test.org"
check "zeravudez --export www.example.cn " ""
check "zeravudez --export www.example.cn --" "--from --keyword --overview --serp --to"
check "zeravudez --export shop-demo.cn --from 2024-01-01 --" "--keyword --overview --serp --to"
check "zeravudez --export shop-demo.cn --serp --keyword 网站 --" "--from --overview --to"
check "zeravudez --test-engine " "baidu example"
check "zeravudez --test-engine=ex" "example"
check "zeravudez --test-engine example --" "--page --site"
check "zeravudez --test-engine example --site sh" "shop-demo.cn"
check "zeravudez --engines --" ""
check "zeravudez --check -- --" ""

# Without a database nothing is offered for the addresses, and nothing fails.
rm "$XDG_DATA_HOME/zeravudez/web.db"
check "zeravudez --check " ""

if ((failures > 0)); then
  echo "$failures of the completions differ"
  exit 1
fi
echo "all completions as expected"
