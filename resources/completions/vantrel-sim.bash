# bash completion for vantrel-sim
_vantrel_sim()
{
    local cur prev words cword
    _init_completion || return

    case $prev in
        --socket | --study-log)
            _filedir
            return
            ;;
        --state-dir)
            _filedir -d
            return
            ;;
        --model)
            COMPREPLY=($(compgen -W 'laptop14 fanless desktop' -- "$cur"))
            return
            ;;
        --ownership)
            COMPREPLY=($(compgen -W 'production debug fenced' -- "$cur"))
            return
            ;;
        --speed | --battery-percent | --start-epoch | --study-interval)
            return
            ;;
        ctl)
            COMPREPLY=($(compgen -W '--socket state step load adapter battery lid displays platform fault clear_faults storm ownership update_outcome send' -- "$cur"))
            return
            ;;
    esac
    if ((cword == 1)); then
        COMPREPLY=($(compgen -W 'ctl --socket --model --ownership --speed --manual-clock --state-dir --background --battery-percent --start-epoch --study-log --study-interval --help' -- "$cur"))
        return
    fi
    [[ ${words[1]} == ctl ]] && return
    COMPREPLY=($(compgen -W '--socket --model --ownership --speed --manual-clock --state-dir --background --battery-percent --start-epoch --study-log --study-interval --help' -- "$cur"))
} &&
    complete -F _vantrel_sim vantrel-sim
