# bash completion for zeravudez                            -*- shell-script -*-
# Completes the modes and their options, the registered site addresses (read
# from the database with sqlite3, when it is installed) and the search engine
# profile names.

# The registered sites' addresses: the table names of the site list, turned
# back into addresses ("__" is "-", "_" is ".").
_zeravudez_sites()
{
    local db=${XDG_DATA_HOME:-$HOME/.local/share}/zeravudez/web.db
    [[ -r $db ]] && command -v sqlite3 >/dev/null 2>&1 || return 0
    sqlite3 -readonly -batch -noheader "$db" 'select web_name from website' 2>/dev/null |
        sed -e 's/__/-/g' -e 's/_/./g'
}

# The profile names: the built-in one and every NAME.json of the profile folder.
_zeravudez_engines()
{
    local dir=${XDG_CONFIG_HOME:-$HOME/.config}/zeravudez/engines file name
    echo baidu
    for file in "$dir"/*.json; do
        [[ -f $file ]] || continue
        name=${file##*/}
        name=${name%.json}
        [[ $name == .* || $name == baidu ]] || printf '%s\n' "$name"
    done
}

_zeravudez()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=
    local i=$((COMP_CWORD - 1))
    # "--option=value": bash splits off the "=".
    if [[ $cur == = ]]; then
        cur=
        prev=${COMP_WORDS[i]}
    elif ((i > 0)); then
        prev=${COMP_WORDS[i]}
        if [[ $prev == = ]] && ((i > 1)); then
            prev=${COMP_WORDS[i - 1]}
        fi
    fi
    COMPREPLY=()

    case $prev in
    --pause | --from | --to | --keyword)
        return 0
        ;;
    --page)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return 0
        ;;
    --site)
        mapfile -t COMPREPLY < <(compgen -W "$(_zeravudez_sites)" -- "$cur")
        return 0
        ;;
    --test-engine)
        if [[ $cur == */* || $cur == .* || $cur == \~* ]]; then
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        else
            mapfile -t COMPREPLY < <(compgen -W "$(_zeravudez_engines)" -- "$cur")
        fi
        return 0
        ;;
    esac

    # The mode, the options and the addresses given so far.
    local mode= word ended=
    local -a given=() addresses=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ -z $ended && $word == -- ]]; then
            ended=1
        elif [[ -z $ended && $word == -* ]]; then
            given+=("$word")
            case $word in
            --check | --export | --engines | --test-engine) mode=$word ;;
            esac
            case $word in
            --pause | --from | --to | --keyword | --page | --site | --test-engine)
                ((i++))
                [[ ${COMP_WORDS[i]} == = ]] && ((i++))
                ;;
            esac
        else
            addresses+=("$word")
        fi
    done

    local -a options=()
    if [[ $cur == -* && -z $ended ]]; then
        case $mode in
        --check) options=(--index --again --pause --json --quiet --notify --mail) ;;
        --export) options=(--from --to --overview --serp --keyword) ;;
        --test-engine) options=(--page --site) ;;
        --engines) ;;
        *) options=(--check --export --engines --test-engine --help --version) ;;
        esac
        local option left=()
        for option in "${options[@]}"; do
            [[ " ${given[*]} " == *" $option "* ]] || left+=("$option")
        done
        mapfile -t COMPREPLY < <(compgen -W "${left[*]}" -- "$cur")
        return 0
    fi

    local site left=()
    case $mode in
    --check)
        while IFS= read -r site; do
            [[ " ${addresses[*]} " == *" $site "* ]] || left+=("$site")
        done < <(_zeravudez_sites)
        ;;
    --export)
        ((${#addresses[@]} == 0)) && mapfile -t left < <(_zeravudez_sites)
        ;;
    '')
        left=(--check --export --engines --test-engine --help --version)
        ;;
    esac
    mapfile -t COMPREPLY < <(compgen -W "${left[*]}" -- "$cur")
} &&
    complete -F _zeravudez zeravudez

# ex: filetype=sh
