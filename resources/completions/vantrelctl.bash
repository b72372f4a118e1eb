# bash completion for vantrelctl
_vantrelctl()
{
    local cur prev words cword
    _init_completion || return

    case $prev in
        --socket)
            _filedir
            return
            ;;
        --max-temp | --cutoff)
            return
            ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--socket --json --verbose --help --max-temp --cutoff' -- "$cur"))
        return
    fi

    # The command words typed so far, without the options and their values.
    local i w args=()
    for ((i = 1; i < cword; i++)); do
        w=${words[i]}
        case $w in
            --socket | --max-temp | --cutoff) ((i++)) ;;
            -*) ;;
            *) args+=("$w") ;;
        esac
    done

    case "${args[*]}" in
        '') COMPREPLY=($(compgen -W 'status sensors fan battery sleep update raw' -- "$cur")) ;;
        fan) COMPREPLY=($(compgen -W 'auto preset curve' -- "$cur")) ;;
        'fan preset') COMPREPLY=($(compgen -W 'silent balanced performance' -- "$cur")) ;;
        battery) COMPREPLY=($(compgen -W 'limit protector heat' -- "$cur")) ;;
        'battery limit') COMPREPLY=($(compgen -W '50 60 70 80 90 100 off' -- "$cur")) ;;
        'battery protector' | 'battery heat' | 'sleep prevent') COMPREPLY=($(compgen -W 'on off' -- "$cur")) ;;
        sleep) COMPREPLY=($(compgen -W 'prevent' -- "$cur")) ;;
        update) COMPREPLY=($(compgen -W 'status' -- "$cur")) ;;
    esac
} &&
    complete -F _vantrelctl vantrelctl
