# bash completion for velloq

_velloq() {
    local cur prev words cword
    _init_completion || return

    local commands="list search add pin unpin delete clear copy paste show toggle settings menu"
    local launch="-ShowOverview -SkipOnboarding --data-dir --help --version"

    case $prev in
        --data-dir)
            _filedir -d
            return
            ;;
        --image | --rtf)
            _filedir
            return
            ;;
        --file)
            _filedir
            return
            ;;
        --limit | --link | --plain)
            return
            ;;
    esac

    local command="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --data-dir) ((i++)) ;;
            -*) ;;
            *)
                command=${words[i]}
                break
                ;;
        esac
    done

    case $command in
        "")
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "$launch" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "$commands" -- "$cur"))
            fi
            ;;
        list) COMPREPLY=($(compgen -W "--json --limit --data-dir" -- "$cur")) ;;
        search) COMPREPLY=($(compgen -W "--json --data-dir" -- "$cur")) ;;
        add) COMPREPLY=($(compgen -W "--link --file --image --rtf --plain --data-dir" -- "$cur")) ;;
        copy | paste) COMPREPLY=($(compgen -W "--plain --data-dir" -- "$cur")) ;;
        *) COMPREPLY=($(compgen -W "--data-dir" -- "$cur")) ;;
    esac
} &&
    complete -F _velloq velloq
