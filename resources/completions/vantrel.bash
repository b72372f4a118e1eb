# bash completion for vantrel
_vantrel()
{
    local cur prev words cword
    _init_completion || return

    case $prev in
        --platform)
            COMPREPLY=($(compgen -W 'sim linux' -- "$cur"))
            return
            ;;
        --theme)
            COMPREPLY=($(compgen -W 'light dark' -- "$cur"))
            return
            ;;
        --screenshot)
            COMPREPLY=($(compgen -W 'dashboard fancurve power sleep convenience settings dashboard.cpu dashboard.memory dashboard.storage dashboard.sensors' -- "$cur"))
            return
            ;;
        --headless-demo)
            _filedir -d
            return
            ;;
        --demo-seconds | --lang)
            return
            ;;
    esac
    COMPREPLY=($(compgen -W '--platform --background-status-only --headless-demo --demo-seconds --main-window-only --screenshot --lang --theme' -- "$cur"))
} &&
    complete -F _vantrel vantrel
